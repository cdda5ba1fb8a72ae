#include "apps/gui/run_count.h"

namespace gui {

void RunCount::OnStart(const Start& start) {
  Clear();
  next_->OnStart(start);
}

void RunCount::OnAccountLookup(std::size_t line, const AccountLookup& lookup) {
  At(line);
  next_->OnAccountLookup(line, lookup);
}

void RunCount::OnSubmitting(const std::vector<Submitted>& statements) {
  next_->OnSubmitting(statements);
}

void RunCount::OnMovement(std::size_t line, const MovementRead& read, Movement verdict) {
  At(line);
  ++movements_;
  next_->OnMovement(line, read, verdict);
}

void RunCount::OnIgnored(std::size_t line) {
  At(line);
  next_->OnIgnored(line);
}

void RunCount::OnInitialBalance(std::size_t line, const Balance& balance, bool stored) {
  At(line);
  next_->OnInitialBalance(line, balance, stored);
}

void RunCount::OnFinalBalance(std::size_t line, const Balance& balance) {
  At(line);
  next_->OnFinalBalance(line, balance);
}

void RunCount::OnRestart(const std::string& reason) {
  Clear();
  next_->OnRestart(reason);
}

// A line before the last one told is a new run, reading from the file's start.
void RunCount::At(std::size_t line) {
  if (line < line_)
    Clear();
  line_ = line;
}

void RunCount::Clear() {
  line_ = 0;
  movements_ = 0;
}

}  // namespace gui
