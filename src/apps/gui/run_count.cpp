#include "apps/gui/run_count.h"

namespace gui {

void RunCount::OnMovement(std::size_t line, Movement verdict) {
  line_ = line;
  ++movements_;
  next_->OnMovement(line, verdict);
}

void RunCount::OnIgnored(std::size_t line) {
  line_ = line;
  next_->OnIgnored(line);
}

void RunCount::OnInitialBalance(std::size_t line, const Balance& balance, bool stored) {
  line_ = line;
  next_->OnInitialBalance(line, balance, stored);
}

void RunCount::OnFinalBalance(std::size_t line, const Balance& balance) {
  line_ = line;
  next_->OnFinalBalance(line, balance);
}

void RunCount::OnRestart(const std::string& reason) {
  Clear();
  next_->OnRestart(reason);
}

void RunCount::Clear() {
  line_ = 0;
  movements_ = 0;
}

}  // namespace gui
