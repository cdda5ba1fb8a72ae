#include "apps/cli/progress_line.h"

#include <algorithm>
#include <string>

#include <fmt/format.h>

namespace cli {

namespace {

constexpr int kBarWidth = 30;
constexpr const char* kLabel = "Lendo o arquivo";

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
  if (drawn_ && percent < 100 && now - last_draw_ < kInterval)
    return;
  last_draw_ = now;
  Draw(percent);
}

void ProgressLine::Draw(int percent) {
  int filled = percent * kBarWidth / 100;
  out_ << fmt::format("\r{} [{}{}] {:3}%", kLabel, std::string(filled, '#'),
                      std::string(kBarWidth - filled, '.'), percent)
       << std::flush;
  drawn_ = true;
  percent_ = percent;
}

void ProgressLine::Clear() {
  if (!drawn_)
    return;
  out_ << '\r' << std::string(std::string_view(kLabel).size() + kBarWidth + 8, ' ') << '\r'
       << std::flush;
  drawn_ = false;
  percent_ = -1;
}

}  // namespace cli
