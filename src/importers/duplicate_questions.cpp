#include "importers/movement_policy.h"

#include <string>

#include "host/exceptions.h"
#include "host/routines.h"
#include "importers/import_run.h"

namespace importers {

namespace {

constexpr const char* kRepeatKey = "CDREDUCONT;VRMOVREAL;NRDOCMOVREAL;DTMOVREAL";

class DuplicateQuestions final : public MovementPolicy {
 public:
  // Every movement is looked up, and one stored already is passed over; only the
  // file's first movement asks whether to go on when it is stored.
  RunObserver::Movement Judge(ImportRun& run, const RecordValues& movement) override {
    bool stored = run.FindStored(movement);
    if (boPrimMov && stored)
      AskAboutStored(run);
    boPrimMov = false;
    if (stored)
      return RunObserver::Movement::kStored;
    bool repeated = !boValIguais && AskAboutRepeat(run, movement);
    return repeated ? RunObserver::Movement::kRepeated : RunObserver::Movement::kNew;
  }

  host::Variant SubmissionArguments(host::Variant movements, host::Variant header) const override {
    return host::Variant::array(
        {std::move(movements), std::move(header), boImpIguais, boImpGravados});
  }

 private:
  // "Sim" imports the movements not stored yet. A closed question stores nothing, as
  // it always has.
  void AskAboutStored(ImportRun& run) {
    switch (run.Ask("Mov_JaImp")) {
      case ImportRun::Answer::kNo:
        Cancel(run);
      case ImportRun::Answer::kYes:
        boImpGravados = true;
        break;
      case ImportRun::Answer::kClosed:
        run.screen().messages.ShowMsg("Extrato_Ja_Imp", host::DialogType::kWarning);
        throw host::EAbort();
    }
  }

  // Asked once, at the first movement that repeats an earlier one of the file. The
  // earlier ones not stored yet are the run's movement rows, with these very values:
  // searched there, they need no copy of their own.
  bool AskAboutRepeat(ImportRun& run, const RecordValues& movement) {
    if (!run.screen().sets.movements.Locate(
            kRepeatKey, {run.Account(), movement.amount, movement.document_key, movement.date})) {
      return false;
    }
    boValIguais = true;
    switch (run.Ask("Val_Iguais")) {
      case ImportRun::Answer::kNo:
        Cancel(run);
      case ImportRun::Answer::kYes:
        boImpIguais = true;
        break;
      case ImportRun::Answer::kClosed:
        break;
    }
    return true;
  }

  [[noreturn]] void Cancel(ImportRun& run) {
    run.screen().messages.ShowMsg("Import_Cancel", host::DialogType::kWarning);
    throw host::EAbort();
  }

  // The first movement is still to be looked up on the server.
  bool boPrimMov = true;
  // A movement repeated within the file was found; no further search.
  bool boValIguais = false;
  // The user let repeated movements through; the submission says so.
  bool boImpIguais = false;
  // The user agreed to go on past movements stored already (none is submitted).
  bool boImpGravados = false;
};

}  // namespace

std::unique_ptr<MovementPolicy> AskAboutDuplicates() {
  return std::make_unique<DuplicateQuestions>();
}

}  // namespace importers
