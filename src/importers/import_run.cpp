#include "importers/import_run.h"

#include <algorithm>
#include <climits>

#include <fmt/format.h>

#include "host/application.h"
#include "host/exceptions.h"
#include "host/routines.h"
#include "host/utf8.h"
#include "importers/conversions.h"
#include "importers/run_state.h"
#include "screen/imp_ext_banc.h"
#include "services/remote.h"

namespace importers {

namespace {

// Every line is followed by a two-character line end, as far as the bar knows.
constexpr long long kLineEnd = 2;

void LoadFromServer(TfrmImpExtBanc& screen, host::RecordSet& record_set, const char* method,
                    host::Variant params) {
  services::LoadFromServer(record_set, screen.netImpExtBanc, method, std::move(params));
}

std::string AsText(const host::Variant& value) {
  return value.is_string() ? value.get<std::string>() : value.dump();
}

int MaskPlaces(std::string_view mask) {
  return static_cast<int>(host::Utf8Length(mask)) -
         static_cast<int>(std::count(mask.begin(), mask.end(), '-'));
}

// The message's "%s" filled with the argument.
std::string WithArgument(std::string text, const std::string& argument) {
  auto placeholder = text.find("%s");
  if (placeholder != std::string::npos)
    text.replace(placeholder, 2, argument);
  return text;
}

}  // namespace

ImportRun::ImportRun(TfrmImpExtBanc& screen, host::TextFile& file, std::string& line,
                     Layout& layout)
    : screen_(screen),
      file_(file),
      line_(line),
      layout_(layout),
      lookups_(screen.netImpExtBanc, file, [this](std::string_view ahead, std::size_t number) {
        return PredictLookup(layout_, ahead, number, stCdReduCont);
      }) {}

void ImportRun::Execute() {
  Begin();
  try {
    ReadLines();
    Submit();
  } catch (...) {
    screen_.pgbProgresso.SetVisible(false);
    throw;
  }
  screen_.pgbProgresso.SetVisible(false);
  ShowOutcome();
  screen_.cdsMovReal.EmptyDataSet();
}

void ImportRun::Begin() {
  layout_.Start(*this);
  host::ProgressBar& bar = screen_.pgbProgresso;
  bar.SetPosition(0);
  bar.SetMax(static_cast<int>(std::min<std::uintmax_t>(file_.Size(), INT_MAX)));
  bar.SetVisible(true);
  stCdSequExtr.clear();
  stCdBancArq.clear();
  stNrSeqMov = "0";
  screen_.cdsMovReal.EmptyDataSet();
}

void ImportRun::ReadLines() {
  host::ProgressBar& bar = screen_.pgbProgresso;
  while (!file_.Eof()) {
    line_ = file_.ReadLn();
    if (layout_.IsStatementRecord(line_))
      HandleRecord(line_);
    bar.SetPosition(bar.Position() + static_cast<long long>(host::Utf8Length(line_)) + kLineEnd);
    screen_.Repaint();
  }
}

void ImportRun::HandleRecord(std::string_view line) {
  const Columns& columns = layout_.columns();
  layout_.BeginRecord(*this, line);
  if (stCdBancArq.empty())
    ResolveAccount(line);
  CheckBank(line);
  ReadDate(line);
  stIdTipoRegi = FieldAt(line, columns.kind);
  stNrDocMov = "0";
  ReadAmount(line);
  std::optional<std::string> indicator = layout_.Indicator(line);
  if (!indicator)
    return;
  stIdDebCred = *indicator;
  const RecordKinds& kinds = layout_.kinds();
  if (stIdTipoRegi == kinds.initial_balance) {
    InitialBalance();
  } else if (stIdTipoRegi == kinds.movement) {
    Movement(line);
  } else if (stIdTipoRegi == kinds.final_balance) {
    FinalBalance();
  }
}

void ImportRun::ResolveAccount(std::string_view line) {
  const std::string& bank = screen_.medCdBanco.Text();
  LoadFromServer(screen_, screen_.cdsMaskCont, "GetMaskCont", host::Variant::array({bank}));
  std::string mask = screen_.cdsMaskCont.FieldByName("CDPICTCONT").AsString();
  nrDigConta = MaskPlaces(mask);
  stNrContMask = layout_.MaskedAccount(line, mask);
  std::string agency = host::AllTrim(FieldAt(line, layout_.columns().agency));
  LoadFromServer(screen_, screen_.cdsContCorr, "GetContCorr",
                 host::Variant::array({bank, agency, stNrContMask, stTipoConta}));
  stCdReduCont = screen_.cdsContCorr.FieldByName("CDREDUCONT").AsString();
  if (host::EmptyString(stCdReduCont)) {
    screen_.medCdBanco.SetFocus();
    Fail(screen_.msgPadrao.Msg("CodRedu_NCad"));
  }
  stCdSequExtr = NextSequenceCode();
  codes_met_.clear();
  has_header_ = false;
}

std::string ImportRun::NextSequenceCode() {
  return AsText(services::CallServer(screen_.netImpExtBanc, "GetPrxMovReal",
                                     host::Variant::array({stCdReduCont, 1})));
}

void ImportRun::CheckBank(std::string_view line) {
  stCdBancArq = host::AllTrim(FieldAt(line, layout_.columns().bank));
  if (stCdBancArq != screen_.qryBanco.FieldByName("CDBANCCNAB").AsString()) {
    screen_.medCdBanco.SetFocus();
    Fail(screen_.msgPadrao.Msg("Banco_Inv"));
  }
}

void ImportRun::ReadDate(std::string_view line) {
  const Columns& columns = layout_.columns();
  std::size_t number = file_.LineNumber();
  std::string day = FieldAt(line, columns.day);
  std::string month = FieldAt(line, columns.month);
  std::string year = layout_.YearText(line);
  nrDia = ToDatePart(day, DatePart::kDay, number);
  nrMes = ToDatePart(month, DatePart::kMonth, number);
  nrAno = ToDatePart(year, DatePart::kYear, number);
  dtMovimento = ToDate(nrAno, nrMes, nrDia, fmt::format("{}/{}/{}", day, month, year), number);
}

void ImportRun::ReadAmount(std::string_view line) {
  const Columns& columns = layout_.columns();
  vrMovimento =
      ToAmount(FieldAt(line, columns.whole), FieldAt(line, columns.decimals), file_.LineNumber());
}

void ImportRun::InitialBalance() {
  host::RecordSet& header = screen_.cdsExtrBanco;
  LoadFromServer(screen_, header, "GetExtrBanco",
                 host::Variant::array({stCdReduCont, dtMovimento.ToIso()}));
  if (header.IsEmpty()) {
    // The code is fetched once per account, and a file may hold several statements
    // of it: a new one must not take the code of a header already stored.
    if (codes_met_.contains(stCdSequExtr))
      stCdSequExtr = NextSequenceCode();
    header.Append();
    header.FieldByName("CDREDUCONT").SetAsString(stCdReduCont);
    header.FieldByName("CDSEQUEXTR").SetAsString(stCdSequExtr);
    header.FieldByName("DTSALDINIC").SetAsDateTime(dtMovimento);
    header.FieldByName("VRSALDINIC").SetAsFloat(vrMovimento);
    header.FieldByName("IDEXTRINI").SetAsString(stIdDebCred);
    header.Post();
  } else {
    // A statement that this run is numbering already keeps the numbers it reached:
    // its movements are not stored yet, so the server's last number would repeat them.
    std::string stored = header.FieldByName("CDSEQUEXTR").AsString();
    if (stored != stCdSequExtr) {
      stCdSequExtr = stored;
      LoadFromServer(screen_, screen_.cdsSequencia, "GetSequencia",
                     host::Variant::array({stCdReduCont, stored}));
      stNrSeqMov = screen_.cdsSequencia.FieldByName("NRSEQMOV").AsString();
    }
  }
  codes_met_.insert(stCdSequExtr);
  has_header_ = true;
}

void ImportRun::Movement(std::string_view line) {
  std::string document = FieldAt(line, layout_.columns().document);
  stNrDocPesq = host::Ajusta(document, 20);
  if (!layout_.IsNewMovement(*this, line)) {
    stored_account_ = stCdReduCont;
    return;
  }
  stNrDocMov = document;
  AddMovementRow(line);
}

void ImportRun::AddMovementRow(std::string_view line) {
  const Columns& columns = layout_.columns();
  host::RecordSet& rows = screen_.cdsMovReal;
  rows.Append();
  rows.FieldByName("CDREDUCONT").SetAsString(stCdReduCont);
  rows.FieldByName("CDSEQUEXTR").SetAsString(stCdSequExtr);
  host::Field number = rows.FieldByName("NRSEQMOVREAL");
  number.SetAsString(host::Ajusta(std::to_string(ToNumberOrZero(stNrSeqMov) + 1), 10));
  stNrSeqMov = number.AsString();
  rows.FieldByName("NRDOCMOVREAL").SetAsString(host::Ajusta(stNrDocMov, 20));
  rows.FieldByName("DTMOVREAL").SetAsDateTime(dtMovimento);
  rows.FieldByName("VRMOVREAL").SetAsFloat(vrMovimento);
  rows.FieldByName("IDMOVREAL").SetAsString(stIdDebCred);
  rows.FieldByName("DSHISTMOVREAL").SetAsString(FieldAt(line, columns.history));
  rows.FieldByName("IDTIPOREGI").SetAsString(stIdTipoRegi);
  rows.FieldByName("CDCATELANC").SetAsString(FieldAt(line, columns.category));
  rows.FieldByName("IDSTCONMVBAN").SetAsString("0");
  rows.FieldByName("IDTPMOVREAL").SetAsString("0");
  rows.Post();
}

void ImportRun::FinalBalance() {
  // Without its initial balance the header in cdsExtrBanco is another statement's,
  // maybe of another account or an earlier run: editing it would corrupt it.
  if (!has_header_) {
    Fail(fmt::format("Linha {}: saldo final sem o saldo inicial do extrato.", file_.LineNumber()));
  }
  host::RecordSet& header = screen_.cdsExtrBanco;
  header.Edit();
  header.FieldByName("DTSALDFIN").SetAsDateTime(dtMovimento);
  header.FieldByName("VRSALDFIM").SetAsFloat(vrMovimento);
  header.FieldByName("IDEXTRFIM").SetAsString(stIdDebCred);
  header.Post();
  has_header_ = false;
  layout_.EndStatement();
}

void ImportRun::Submit() {
  host::RecordSet& header = screen_.cdsExtrBanco;
  host::Variant changes =
      header.ChangeCount() >= 1 ? host::ToJson(header.Delta()) : host::Variant();
  // The movements come first; they are written into the request, not copied.
  host::Variant arguments = layout_.SubmissionArguments(host::Variant(), std::move(changes));
  host::ActiveShowAvi(host::GetApplication().MainFormName(), 1);
  try {
    host::Variant stored = services::CallServerWithRows(
        screen_.netImpExtBanc, layout_.SubmissionMethod(), arguments, 0, screen_.cdsMovReal);
    if (stored.is_boolean() && !stored.get<bool>()) {
      screen_.msgPadrao.ShowMsg("Extrato_Ja_Imp", host::DialogType::kWarning);
      throw host::EAbort();
    }
  } catch (...) {
    host::DeactiveShowAvi();
    throw;
  }
  host::DeactiveShowAvi();
}

// Decided by this run alone: what an earlier run left in cdsPesqLanc, or a stored
// movement met before new ones, must not turn a run that stored data into an error.
void ImportRun::ShowOutcome() {
  if (screen_.cdsMovReal.IsEmpty()) {
    if (stored_account_) {
      Fail(WithArgument(screen_.msgPadrao.Msg("Arqu_JaImp"), *stored_account_));
    }
    if (layout_.RanWithoutData(*this))
      Fail(screen_.msgPadrao.Msg("Arqu_Sem_Dados"));
  }
  screen_.msgPadrao.ShowMsg("Import_Suces", host::DialogType::kInformation);
}

bool ImportRun::FindStored() {
  screen_.cdsPesqLanc.LoadPacket(lookups_.Find(host::Variant::array(
      {stCdReduCont, stNrDocPesq, dtMovimento.ToIso(), host::RoundDec(vrMovimento, 2)})));
  return !screen_.cdsPesqLanc.IsEmpty();
}

ImportRun::Answer ImportRun::Ask(const std::string& key) {
  const host::TMessages& messages = screen_.msgPadrao;
  int button = host::MsgAlert(messages.Msg(key), host::DialogType::kConfirmation,
                              {messages.Msg("N"), messages.Msg("S")}, 0);
  if (button == host::kFirstCaption)
    return Answer::kNo;
  if (button == host::kFirstCaption + 1)
    return Answer::kYes;
  return Answer::kClosed;
}

void ImportRun::Fail(const std::string& text) {
  host::MensErro(text, true);
}

}  // namespace importers
