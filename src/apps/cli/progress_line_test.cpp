#include "apps/cli/progress_line.h"

#include <sstream>

#include <gtest/gtest.h>

namespace cli {
namespace {

using std::chrono::milliseconds;

class ProgressLineTest : public ::testing::Test {
 protected:
  ProgressLine line_{out_, [this] { return now_; }};
  std::ostringstream out_;
  std::chrono::steady_clock::time_point now_{};

  int Draws() const {
    std::string text = out_.str();
    return static_cast<int>(std::count(text.begin(), text.end(), '%'));
  }
};

TEST_F(ProgressLineTest, DrawsThePercentOfTheRange) {
  line_.Update(250, 0, 1000);
  EXPECT_EQ("\rLendo o arquivo [#######.......................]  25%", out_.str());
}

TEST_F(ProgressLineTest, RedrawsAtMostFiveTimesASecond) {
  for (int byte = 1; byte <= 999; ++byte) {
    now_ += milliseconds(1);
    line_.Update(byte, 0, 1000);
  }
  // One draw at the start, then one per 200 ms over about a second.
  EXPECT_EQ(5, Draws());
  line_.Update(1000, 0, 1000);
  EXPECT_EQ(6, Draws()) << "the end is always drawn";
  EXPECT_NE(std::string::npos, out_.str().rfind("100%"));
}

TEST_F(ProgressLineTest, StoringPhaseFollowsTheBarAndTheBarComesBackAfterIt) {
  line_.Update(10, 0, 10);
  line_.Storing();
  std::string text = out_.str();
  std::string storing = "\rGravando os movimentos no servidor...";
  ASSERT_NE(std::string::npos, text.find(storing));
  // What the bar drew beyond the phase's text is blanked.
  EXPECT_EQ(std::string::npos, text.substr(text.find(storing) + storing.size()).find("%"));
  line_.Update(10, 0, 10);
  EXPECT_EQ(2, Draws());
  line_.Clear();
  EXPECT_EQ('\r', out_.str().back());
}

TEST_F(ProgressLineTest, ClearErasesADrawnLineOnly) {
  line_.Clear();
  EXPECT_EQ("", out_.str());
  line_.Update(5, 0, 10);
  line_.Clear();
  std::string text = out_.str();
  EXPECT_EQ('\r', text.back());
  EXPECT_EQ(std::string::npos, text.substr(text.find("50%") + 3).find_first_not_of(" \r"));
  // After a clear the same percent is drawn again.
  line_.Update(5, 0, 10);
  EXPECT_EQ(2, Draws());
}

TEST_F(ProgressLineTest, EmptyOrOverrunRangeStaysWithinTheBar) {
  line_.Update(0, 0, 0);
  EXPECT_NE(std::string::npos, out_.str().find("100%"));
  out_.str("");
  line_.Clear();
  line_.Update(5000, 0, 100);
  EXPECT_NE(std::string::npos, out_.str().find("[##############################] 100%"));
}

}  // namespace
}  // namespace cli
