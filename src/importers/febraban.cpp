// FEBRABAN standard statement file (CNAB 240): one record of 240 columns per line.
// Positions are 1-based; nothing else is read.
//
//   1-3      bank code (CNAB)
//   8        record kind: "0" file header, "1" batch header (initial balance),
//            "3" detail (movement), "5" batch trailer (final balance), "9" file trailer
//   9        operation of a batch header: "E", a statement
//   54-57    agency
//   59-70    account number, followed by one (71) or two (72) check characters when
//            the bank's account mask has them
//   143-150  date, ddmmyyyy
//   151-166  amount, integer digits
//   167-168  amount, decimal digits
//   169      debit/credit indicator; when blank, the category's first digit tells:
//            "1" debit, "2" credit
//   170-172  category
//   177-201  history
//   202-221  document number
#include "importers/febraban.h"

#include <string>

#include "host/exceptions.h"
#include "host/routines.h"
#include "host/utf8.h"
#include "importers/import_run.h"
#include "importers/layout.h"
#include "importers/run_state.h"
#include "screen/imp_ext_banc.h"

namespace importers {

namespace {

constexpr Column kOperation{9, 1};
constexpr std::size_t kAccountStart = 59;
// Agency and account with their check characters: what names the account of a batch.
constexpr Column kAgencyAndAccount{54, 19};
constexpr Column kCategoryFirstDigit{170, 1};

constexpr Columns kColumns{
    .bank = {1, 3},
    .agency = {54, 4},
    .kind = {8, 1},
    .day = {143, 2},
    .month = {145, 2},
    .year = {147, 4},
    .whole = {151, 16},
    .decimals = {167, 2},
    .indicator = {169, 1},
    .document = {202, 20},
    .history = {177, 25},
    .category = {170, 3},
};
constexpr RecordKinds kKinds{.initial_balance = "1", .movement = "3", .final_balance = "5"};
constexpr std::string_view kFileHeader = "0";
constexpr std::string_view kFileTrailer = "9";
constexpr std::string_view kStatementOperation = "E";

constexpr const char* kRepeatKey = "CDREDUCONT;VRMOVREAL;NRDOCMOVREAL;DTMOVREAL";

class FebrabanLayout final : public Layout {
 public:
  FebrabanLayout() : Layout(kColumns, kKinds) {}

  void Start(ImportRun& run) override {
    host::RecordSet& seen = run.screen().cdsMovExtrAux;
    seen.Close();
    seen.CreateDataSet();
    seen.EmptyDataSet();
  }

  // The file header and trailer are no statement records; they end the account,
  // so that a further file in the same one resolves its own.
  bool IsStatementRecord(std::string_view line) override {
    std::string kind = FieldAt(line, columns().kind);
    if (kind != kFileHeader && kind != kFileTrailer)
      return true;
    stCdBancArq.clear();
    return false;
  }

  void BeginRecord(ImportRun& run, std::string_view line) override {
    if (FieldAt(line, columns().kind) != kKinds.initial_balance)
      return;
    const host::TMessages& messages = run.screen().msgPadrao;
    if (FieldAt(line, kOperation) != kStatementOperation) {
      host::MensErro(messages.Msg("Arquivo_Inv"), true);
    }
    // The account stays resolved for the whole file: a batch of another account
    // would be booked to the first one.
    if (!stCdBancArq.empty() && FieldAt(line, kAgencyAndAccount) != resolved_by_) {
      host::MensErro(messages.Msg("Conta_Mult"), true);
    }
  }

  std::string MaskedAccount(std::string_view line, std::string_view mask) override {
    resolved_by_ = FieldAt(line, kAgencyAndAccount);
    Column account{kAccountStart, FebrabanAccountWidth(mask)};
    return host::Right(host::AllTrim(FieldAt(line, account)), nrDigConta);
  }

  std::optional<std::string> Indicator(std::string_view line) const override {
    std::string indicator = FieldAt(line, columns().indicator);
    if (!host::EmptyString(indicator))
      return indicator;
    std::string category = FieldAt(line, kCategoryFirstDigit);
    if (category == "1")
      return "D";
    if (category == "2")
      return "C";
    return std::nullopt;
  }

  bool IsNewMovement(ImportRun& run, std::string_view line) override {
    if (boPrimMov)
      AskAboutStored(run);
    if (!boValIguais)
      AskAboutRepeat(run);
    AddSeenRow(run.screen().cdsMovExtrAux, line);
    return true;
  }

  // The account stays resolved until a file trailer or header.
  void EndStatement() override {}

  bool RanWithoutData(ImportRun& run) const override { return run.screen().cdsMovReal.IsEmpty(); }

  std::string SubmissionMethod() const override { return "SetFebraban"; }

  host::Variant SubmissionArguments(host::Variant movements, host::Variant header) const override {
    return host::Variant::array(
        {std::move(movements), std::move(header), boImpIguais, boImpGravados});
  }

 private:
  // Only the file's first movement is looked up on the server.
  void AskAboutStored(ImportRun& run) {
    if (run.FindStored()) {
      ImportRun::Answer answer = run.Ask("Mov_JaImp");
      if (answer == ImportRun::Answer::kNo)
        Cancel(run);
      boImpGravados = answer == ImportRun::Answer::kYes;
    }
    run.screen().cdsPesqLanc.Close();
    boPrimMov = false;
  }

  // Asked once, at the first movement that repeats an earlier one of the file.
  void AskAboutRepeat(ImportRun& run) {
    if (!run.screen().cdsMovExtrAux.Locate(kRepeatKey,
                                           {stCdReduCont, vrMovimento, stNrDocPesq, dtMovimento})) {
      return;
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
  }

  void AddSeenRow(host::RecordSet& seen, std::string_view line) {
    seen.Append();
    seen.FieldByName("CDREDUCONT").SetAsString(stCdReduCont);
    seen.FieldByName("VRMOVREAL").SetAsFloat(vrMovimento);
    seen.FieldByName("DSHISTMOVREAL").SetAsString(FieldAt(line, columns().history));
    seen.FieldByName("NRDOCMOVREAL").SetAsString(stNrDocPesq);
    seen.FieldByName("DTMOVREAL").SetAsDateTime(dtMovimento);
    seen.FieldByName("IDTPMOVREAL").SetAsString("0");
    seen.FieldByName("IDSTCONMVBAN").SetAsString("0");
    seen.FieldByName("IDTIPOREGI").SetAsString(stIdTipoRegi);
    seen.FieldByName("IDMOVREAL").SetAsString(stIdDebCred);
    seen.Post();
  }

  [[noreturn]] void Cancel(ImportRun& run) {
    run.screen().msgPadrao.ShowMsg("Import_Cancel", host::DialogType::kWarning);
    throw host::EAbort();
  }

  // The first movement is still to be looked up on the server.
  bool boPrimMov = true;
  // A movement repeated within the file was found; no further search.
  bool boValIguais = false;
  // The user let repeated movements through; the submission says so.
  bool boImpIguais = false;
  // The user let movements stored already through; without it the server refuses
  // the submission when it finds one.
  bool boImpGravados = false;
  // Agency and account columns of the record that resolved the account.
  std::string resolved_by_;
};

}  // namespace

std::size_t FebrabanAccountWidth(std::string_view mask) {
  auto dash = mask.find('-');
  if (dash == std::string_view::npos)
    return 12;
  nrDigVerif =
      static_cast<int>(host::Utf8Length(host::AllTrim(host::Utf8Left(mask.substr(dash + 1), 3))));
  return nrDigVerif <= 1 ? 13 : 14;
}

}  // namespace importers

void TfrmImpExtBanc::Imp_Banco_Padrao_FEBRABAN() {
  importers::FebrabanLayout layout;
  importers::ImportRun(*this, arqExtrato, stLinha, layout).Execute();
}
