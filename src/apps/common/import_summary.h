#ifndef EXTRATO_APPS_COMMON_IMPORT_SUMMARY_H_
#define EXTRATO_APPS_COMMON_IMPORT_SUMMARY_H_

// What an import run did, told line by line by the run and summed up: the
// statements with their periods and balances, the movements by verdict, the
// credits and debits stored, and whether each statement's balances agree.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "importers/run_observer.h"

namespace apps {

class ImportSummary : public importers::RunObserver {
 public:
  // Calls a method of the application server and answers its payload; throws.
  using Call = std::function<nlohmann::json(const std::string&, const nlohmann::json&)>;

  void OnStart(const Start& start) override { start_ = start; }
  void OnAccountLookup(std::size_t, const AccountLookup& lookup) override { lookup_ = lookup; }
  void OnSubmitting(const std::vector<Submitted>& statements) override { submitted_ = statements; }
  void OnMovement(std::size_t line, const MovementRead& read, Movement verdict) override;
  void OnIgnored(std::size_t line) override;
  void OnInitialBalance(std::size_t line, const Balance& balance, bool stored) override;
  void OnFinalBalance(std::size_t line, const Balance& balance) override;
  // Forgets the abandoned run's lines and tells the reason.
  void OnRestart(const std::string& reason) override;
  void OnRestartSaid(std::function<void(const std::string&)> tell) {
    tell_restart_ = std::move(tell);
  }

  // Whether the run read any statement record.
  bool Empty() const;
  // The layout the run read the file with; null before a run started.
  const importers::Layout* Layout() const { return start_.layout; }
  bool Preview() const { return start_.preview; }
  // The run's last account lookup.
  const std::optional<AccountLookup>& LastLookup() const { return lookup_; }
  // Forgets what was told, for the next run.
  void Clear() {
    bool keep = keep_lines_;
    auto tell = std::move(tell_restart_);
    *this = ImportSummary();
    keep_lines_ = keep;
    tell_restart_ = std::move(tell);
  }
  // Also lists the verdict of each line ("lines" in the summary), for a preview.
  void KeepLines() { keep_lines_ = true; }

  // The summary, with the sums the server holds for each statement:
  // {"account", "statements": [{"code", "opening", "closing", "credits", "debits",
  //  "balanced", and "difference" when not balanced, "continuity"}], "movements":
  //  {"new", "stored_already", "repeated", "ignored"}, "stored", "stored_credits",
  //  "stored_debits", "warnings": [...]}, and "lines": [{"line", "verdict", and for a
  //  movement "date", "document", "history", "amount", "indicator"}] when kept.
  // `succeeded`: the run ended with its success message, its movements stored
  // unless it was a preview. Balances are checked only then; a preview counts the
  // movements it kept from the server.
  nlohmann::json ToJson(const Call& call, bool succeeded) const;

 private:
  struct Statement {
    std::string account;
    std::string code;
    std::optional<Balance> opening;
    std::optional<Balance> closing;
  };
  Statement& Current(const Balance& balance);
  // What the submission carries, or would carry, for the statement.
  Submitted SubmittedTo(const Statement& statement) const;

  Start start_;
  std::optional<AccountLookup> lookup_;
  std::vector<Submitted> submitted_;
  std::vector<Statement> statements_;
  int new_ = 0;
  int stored_ = 0;
  int repeated_ = 0;
  int ignored_ = 0;
  bool keep_lines_ = false;
  std::function<void(const std::string&)> tell_restart_;
  nlohmann::json lines_ = nlohmann::json::array();
};

// The summary as a person reads it, one fact a line; its warnings apart.
std::string SummaryText(const nlohmann::json& summary);

}  // namespace apps

#endif  // EXTRATO_APPS_COMMON_IMPORT_SUMMARY_H_
