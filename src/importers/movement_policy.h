#ifndef EXTRATO_IMPORTERS_MOVEMENT_POLICY_H_
#define EXTRATO_IMPORTERS_MOVEMENT_POLICY_H_

// What the run does with movements stored already or repeated in the file, by the
// kind its layout names.

#include <memory>

#include "host/net_connection.h"
#include "importers/run_observer.h"
#include "importers/run_state.h"
#include "layouts/layout.h"

namespace importers {

class ImportRun;

class MovementPolicy {
 public:
  virtual ~MovementPolicy() = default;
  virtual void Start(ImportRun&) {}
  // What becomes of the current movement: every outcome but kStored gets a row.
  virtual RunObserver::Movement Judge(ImportRun& run, const RecordValues& movement) = 0;
  virtual host::Variant SubmissionArguments(host::Variant movements, host::Variant header) const;
};

std::unique_ptr<MovementPolicy> PolicyOf(Duplicates kind);

// Every movement is looked up, and one stored already is passed over; the file's
// first movement found stored and the first repeat within the file are asked about,
// and each question lets the file through or cancels the run.
std::unique_ptr<MovementPolicy> AskAboutDuplicates();

}  // namespace importers

#endif  // EXTRATO_IMPORTERS_MOVEMENT_POLICY_H_
