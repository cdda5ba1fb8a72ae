#ifndef EXTRATO_APPS_GUI_RUN_COUNT_H_
#define EXTRATO_APPS_GUI_RUN_COUNT_H_

#include <cstddef>

#include "importers/run_observer.h"

namespace gui {

// How far a run got, for its progress box: the last statement line it told and
// the movements it read; a new run starts the count again. Tells everything on to
// `next`.
class RunCount : public importers::RunObserver {
 public:
  explicit RunCount(importers::RunObserver& next) : next_(&next) {}

  void OnStart(const Start& start) override;
  void OnAccountLookup(std::size_t line, const AccountLookup& lookup) override;
  void OnSubmitting(const std::vector<Submitted>& statements) override;
  void OnMovement(std::size_t line, const MovementRead& read, Movement verdict) override;
  void OnIgnored(std::size_t line) override;
  void OnInitialBalance(std::size_t line, const Balance& balance, bool stored) override;
  void OnFinalBalance(std::size_t line, const Balance& balance) override;
  void OnRestart(const std::string& reason) override;

  std::size_t Line() const { return line_; }
  std::size_t Movements() const { return movements_; }
  void Clear();

 private:
  void At(std::size_t line);

  importers::RunObserver* next_;
  std::size_t line_ = 0;
  std::size_t movements_ = 0;
};

}  // namespace gui

#endif  // EXTRATO_APPS_GUI_RUN_COUNT_H_
