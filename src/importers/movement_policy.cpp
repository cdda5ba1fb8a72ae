#include "importers/movement_policy.h"

#include "importers/import_run.h"

namespace importers {

namespace {

// Movements found stored on the server are left out without a question.
class SkipStoredMovements : public MovementPolicy {
 public:
  RunObserver::Movement Judge(ImportRun& run, const RecordValues& movement) override {
    return run.FindStored(movement) ? RunObserver::Movement::kStored : RunObserver::Movement::kNew;
  }
};

}  // namespace

host::Variant MovementPolicy::SubmissionArguments(host::Variant movements,
                                                  host::Variant header) const {
  return host::Variant::array({std::move(movements), std::move(header)});
}

std::unique_ptr<MovementPolicy> PolicyOf(Duplicates kind) {
  switch (kind) {
    case Duplicates::kAskTheUser:
      return AskAboutDuplicates();
    case Duplicates::kSkipStored:
      break;
  }
  return std::make_unique<SkipStoredMovements>();
}

}  // namespace importers
