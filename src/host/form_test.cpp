#include "host/form.h"

#include <gtest/gtest.h>

#include "host/application.h"
#include "host/exceptions.h"
#include "testing/recording_ui_services.h"

namespace host {
namespace {

// Three fields in tab order, with a disabled one between the first two.
class FocusTest : public ::testing::Test {
 protected:
  FocusTest()
      : code_(form_, "code"), name_(form_, "name"), file_(form_, "file"), flat_(form_, "flat") {
    code_.SetTabOrder(0);
    name_.SetTabOrder(1);
    name_.SetEnabled(false);
    file_.SetTabOrder(2);
    form_.Show();
  }
  void SetUp() override { GetApplication().SetUiServices(&ui_); }
  void TearDown() override { GetApplication().SetUiServices(nullptr); }

  RecordingUiServices ui_;
  Form form_{"form"};
  Edit code_;
  Edit name_;
  Edit file_;
  TButtonFlat flat_;
  std::vector<std::string> log_;
};

TEST_F(FocusTest, ShowFocusesTheFirstFieldAndTabSkipsDisabled) {
  EXPECT_EQ(&code_, form_.ActiveControl());
  EXPECT_EQ(&file_, form_.NextInTabOrder(&code_));
  EXPECT_EQ(&code_, form_.NextInTabOrder(&file_));  // wraps around
  EXPECT_FALSE(flat_.CanFocus());                   // a flat button takes no focus
}

TEST_F(FocusTest, LeavingAFieldRunsItsExitEvent) {
  code_.OnExit = [&](Object& sender) { log_.push_back("exit " + sender.Name()); };
  file_.SetFocus();
  EXPECT_EQ((std::vector<std::string>{"exit code"}), log_);
  EXPECT_TRUE(file_.Focused());
  file_.SetFocus();  // already there: no event
  EXPECT_EQ(1u, log_.size());
}

TEST_F(FocusTest, FailingExitKeepsTheFocusAndPassesTheFailureOn) {
  code_.OnExit = [&](Object&) {
    code_.SetFocus();
    throw EAbort();
  };
  EXPECT_THROW(file_.SetFocus(), EAbort);
  EXPECT_TRUE(code_.Focused());
}

TEST_F(FocusTest, FocusRequestedDuringExitWins) {
  code_.OnExit = [&](Object&) { code_.SetFocus(); };
  file_.SetFocus();
  EXPECT_TRUE(code_.Focused());
}

TEST_F(FocusTest, DispatchShowsFailuresButNotTheSilentAbort) {
  EXPECT_EQ(EventOutcome::kCompleted, GetApplication().Dispatch([] {}));
  EXPECT_EQ(EventOutcome::kAborted, GetApplication().Dispatch([] { throw EAbort(); }));
  EXPECT_TRUE(ui_.messages().empty());
  EXPECT_EQ(EventOutcome::kFailed,
            GetApplication().Dispatch([] { throw EInOutError("Arquivo ilegível."); }));
  ASSERT_EQ(1u, ui_.messages().size());
  EXPECT_EQ(DialogType::kError, ui_.messages()[0].type);
  EXPECT_EQ("Arquivo ilegível.", ui_.messages()[0].text);
}

TEST(FormTest, CloseWithFreeReleasesTheScreen) {
  struct Screen : Form {
    Screen() : Form("screen") {
      OnClose = [](Object&, CloseAction& action) { action = CloseAction::kFree; };
    }
  };
  Application& app = GetApplication();
  std::size_t before = app.Forms().size();
  Screen& screen = app.CreateForm<Screen>();
  screen.Show();
  screen.SetWindowState(WindowState::kMinimized);
  EXPECT_EQ(before + 1, app.Forms().size());
  app.Dispatch([&] { screen.Close(); });
  EXPECT_EQ(before, app.Forms().size());
}

TEST(FormTest, FailedCreationKeepsNothing) {
  struct Broken : Form {
    Broken() : Form("broken") {
      OnCreate = [](Object&) { throw Exception("sem conexão"); };
    }
  };
  Application& app = GetApplication();
  std::size_t before = app.Forms().size();
  EXPECT_THROW(app.CreateForm<Broken>(), Exception);
  EXPECT_EQ(before, app.Forms().size());
}

}  // namespace
}  // namespace host
