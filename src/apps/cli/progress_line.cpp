#include "apps/cli/progress_line.h"

#include <algorithm>
#include <string>

#include <fmt/format.h>

namespace cli {

namespace {

constexpr int kBarWidth = 30;
constexpr const char* kLabel = "Lendo o arquivo";
constexpr const char* kStoring = "Gravando os movimentos no servidor...";

// Characters, not bytes, so that the line is erased exactly.
std::size_t Utf8Width(const std::string& text) {
  return static_cast<std::size_t>(
      std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

int Percent(long long position, long long min, long long max) {
  if (max <= min)
    return 100;
  long long done = std::clamp(position, min, max) - min;
  return static_cast<int>(done * 100 / (max - min));
}

}  // namespace

ProgressLine::ProgressLine(std::ostream& out, Clock clock) : out_(out), clock_(std::move(clock)) {}

void ProgressLine::Update(long long position, long long min, long long max) {
  int percent = Percent(position, min, max);
  if (percent == percent_)
    return;
  auto now = clock_();
  if (drawn_ > 0 && percent < 100 && now - last_draw_ < kInterval)
    return;
  last_draw_ = now;
  Draw(percent);
}

void ProgressLine::Draw(int percent) {
  int filled = percent * kBarWidth / 100;
  Write(fmt::format("{} [{}{}] {:3}%", kLabel, std::string(filled, '#'),
                    std::string(kBarWidth - filled, '.'), percent));
  percent_ = percent;
}

void ProgressLine::Storing() {
  Write(kStoring);
  percent_ = -1;  // the bar is drawn again when it moves again
}

void ProgressLine::Write(const std::string& text) {
  std::size_t width = Utf8Width(text);
  out_ << '\r' << text << std::string(drawn_ > width ? drawn_ - width : 0, ' ') << std::flush;
  drawn_ = width;
}

void ProgressLine::Clear() {
  if (drawn_ == 0)
    return;
  out_ << '\r' << std::string(drawn_, ' ') << '\r' << std::flush;
  drawn_ = 0;
  percent_ = -1;
}

}  // namespace cli
