#ifndef EXTRATO_APPS_CLI_PROGRESS_LINE_H_
#define EXTRATO_APPS_CLI_PROGRESS_LINE_H_

// The progress of a run drawn as one line of a terminal, redrawn in place.

#include <chrono>
#include <functional>
#include <ostream>
#include <string>

namespace cli {

class ProgressLine {
 public:
  using Clock = std::function<std::chrono::steady_clock::time_point()>;
  // Redrawing more often than this only costs time: nobody reads it.
  static constexpr std::chrono::milliseconds kInterval{200};

  explicit ProgressLine(std::ostream& out, Clock clock = std::chrono::steady_clock::now);

  // Draws the position within [min, max], unless the line was drawn less than
  // kInterval ago; the last position is always drawn.
  void Update(long long position, long long min, long long max);
  // Draws the phase after the reading, while the movements are stored: the screen
  // waits for the server then and moves no bar.
  void Storing();
  // Erases the line, so that a message can be written where it was.
  void Clear();

 private:
  void Draw(int percent);
  void Write(const std::string& text);

  std::ostream& out_;
  Clock clock_;
  std::size_t drawn_ = 0;  // characters of the line on screen
  int percent_ = -1;
  std::chrono::steady_clock::time_point last_draw_;
};

}  // namespace cli

#endif  // EXTRATO_APPS_CLI_PROGRESS_LINE_H_
