// Bradesco statement file: one record of 200 columns per line. Positions are
// 1-based; nothing else is read.
//
//   1        record marker: "1" a statement record; any other line is passed over
//   18-21    agency
//   32-41    account number; a "P" at 41 reads as the check digit 0
//   42       record kind: "0" initial balance, "1" movement, "2" final balance
//   43-45    category
//   50-74    history
//   75-80    document number
//   81-86    date, ddmmyy
//   87-102   amount, integer digits
//   103-104  amount, decimal digits
//   105      debit/credit indicator
//   192-194  bank code (CNAB)
#include "importers/bradesco.h"

#include "host/routines.h"
#include "importers/import_run.h"
#include "importers/layout.h"
#include "importers/run_state.h"
#include "screen/imp_ext_banc.h"

namespace importers {

namespace {

constexpr Column kMarker{1, 1};
constexpr Column kAccount{32, 10};
constexpr Column kAccountWithoutCheck{32, 9};
constexpr Column kAccountCheck{41, 1};

constexpr Columns kColumns{
    .bank = {192, 3},
    .agency = {18, 4},
    .kind = {42, 1},
    .day = {81, 2},
    .month = {83, 2},
    .year = {85, 2},
    .whole = {87, 16},
    .decimals = {103, 2},
    .indicator = {105, 1},
    .document = {75, 6},
    .history = {50, 25},
    .category = {43, 3},
};
constexpr RecordKinds kKinds{.initial_balance = "0", .movement = "1", .final_balance = "2"};

class BradescoLayout final : public Layout {
 public:
  BradescoLayout() : Layout(kColumns, kKinds) {}

  bool IsStatementRecord(std::string_view line) override { return FieldAt(line, kMarker) == "1"; }

  void BeginRecord(ImportRun&, std::string_view line) override {
    stNrContArq = BradescoAccountNumber(line);
  }

  std::string MaskedAccount(std::string_view, std::string_view) override {
    return host::Right(stNrContArq, nrDigConta);
  }

  std::string YearText(std::string_view line) const override {
    return BradescoYearText(FieldAt(line, columns().year));
  }

  bool IsNewMovement(ImportRun& run, std::string_view) override { return !run.FindStored(); }

  // The next statement of the file resolves its account again; its movements are
  // numbered on from this one's when its header is new.
  void EndStatement() override { stCdBancArq.clear(); }

  bool RanWithoutData(ImportRun&) const override { return stCdSequExtr.empty(); }

  std::string SubmissionMethod() const override { return "Set_Real_Bradesco"; }
};

}  // namespace

std::string BradescoAccountNumber(std::string_view line) {
  if (FieldAt(line, kAccountCheck) == "P") {
    return host::AllTrim(FieldAt(line, kAccountWithoutCheck)) + "0";
  }
  return host::AllTrim(FieldAt(line, kAccount));
}

std::string BradescoYearText(std::string_view two_digits) {
  return (two_digits < std::string_view("90") ? "20" : "19") + std::string(two_digits);
}

}  // namespace importers

void TfrmImpExtBanc::Imp_Banco_Bradesco() {
  importers::BradescoLayout layout;
  importers::ImportRun(*this, arqExtrato, stLinha, layout).Execute();
}
