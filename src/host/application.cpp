#include "host/application.h"

#include <algorithm>

#include "host/exceptions.h"

namespace host {

namespace {

// Shows nothing and answers every question with "closed without a choice".
class SilentUi : public UiServices {
 public:
  void ShowMessage(const MessageDialog&) override {}
  int Ask(const Question&) override { return 0; }
  void ShowWait(int) override {}
  void HideWait() override {}
  std::optional<std::string> ChooseFile(const FileDialogRequest&) override { return std::nullopt; }
  std::optional<std::size_t> PickRow(const SearchListRequest&) override { return std::nullopt; }
  void Repaint() override {}
  void SetCursor(Cursor) override {}
};

}  // namespace

Application::Application() : null_ui_(std::make_unique<SilentUi>()) {}

Application::~Application() = default;

void Application::SetUiServices(UiServices* services) {
  ui_ = services;
}

UiServices& Application::Ui() const {
  return ui_ != nullptr ? *ui_ : *null_ui_;
}

void Application::ReleaseForm(Form& form) {
  released_.push_back(&form);
  if (dispatch_depth_ == 0)
    DestroyReleased();
}

void Application::DestroyReleased() {
  for (Form* form : released_) {
    std::erase_if(forms_, [form](const std::unique_ptr<Form>& f) { return f.get() == form; });
  }
  released_.clear();
}

void Application::SetCursor(Cursor cursor) {
  Ui().SetCursor(cursor);
}

EventOutcome Application::Dispatch(const std::function<void()>& handler) {
  EventOutcome outcome = EventOutcome::kCompleted;
  ++dispatch_depth_;
  try {
    handler();
  } catch (const EAbort&) {
    outcome = EventOutcome::kAborted;
  } catch (const std::exception& e) {
    Ui().ShowMessage({DialogType::kError, e.what(), std::nullopt});
    outcome = EventOutcome::kFailed;
  }
  --dispatch_depth_;
  if (dispatch_depth_ == 0)
    DestroyReleased();
  return outcome;
}

Application& GetApplication() {
  static Application application;
  return application;
}

UiServices& Ui() {
  return GetApplication().Ui();
}

}  // namespace host
