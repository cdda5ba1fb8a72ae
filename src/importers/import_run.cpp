#include "importers/import_run.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <random>
#include <thread>

#include <fmt/format.h>

#include "host/application.h"
#include "host/brazilian_text.h"
#include "host/exceptions.h"
#include "host/routines.h"
#include "host/utf8.h"
#include "host/visible_text.h"
#include "layouts/conversions.h"
#include "services/remote.h"

namespace importers {

namespace {

std::string AsText(const host::Variant& value) {
  return value.is_string() ? value.get<std::string>() : value.dump();
}

// The message's "%s" filled in order.
std::string WithArguments(std::string text, const std::vector<std::string>& arguments) {
  std::size_t from = 0;
  for (const std::string& argument : arguments) {
    auto placeholder = text.find("%s", from);
    if (placeholder == std::string::npos)
      break;
    text.replace(placeholder, 2, argument);
    from = placeholder + argument.size();
  }
  return text;
}

double Signed(double amount, const std::string& direction) {
  return direction == "D" ? -amount : amount;
}

// "1.234,56 C"; a negative balance is a debit one.
std::string BalanceText(double balance) {
  return host::BrazilianAmount(std::fabs(balance)) + (balance < 0 ? " D" : " C");
}

// A text in single quotes for a filter, its own quotes doubled.
std::string Quoted(std::string_view text) {
  std::string quoted = "'";
  for (char c : text) {
    quoted += c;
    if (c == '\'')
      quoted += c;
  }
  return quoted + "'";
}

// Imports that met on one account would meet again if all read their files again at
// once: each waits a random while first, up to twice as long after each meeting, so
// that one of them gets through.
void WaitBeforeRunningAgain(int runs) {
  constexpr std::chrono::milliseconds kSlot{50};
  constexpr int kMostDoublings = 4;
  thread_local std::minstd_rand random{std::random_device{}()};
  std::uniform_int_distribution<int> slots(0, (1 << std::min(runs, kMostDoublings)) - 1);
  std::this_thread::sleep_for(kSlot * slots(random));
}

}  // namespace

ImportRun::ImportRun(const RunScreen& screen, host::TextFile& file, std::string& line,
                     const Layout& layout, ImportOptions options)
    : screen_(screen),
      file_(file),
      line_(line),
      layout_(layout),
      options_(options),
      policy_(PolicyOf(layout.duplicates)),
      calls_(screen.connection),
      lookups_(
          screen.connection, file,
          [this](std::string_view ahead, std::size_t number) {
            return PredictLookup(layout_, ahead, number, state_.stCdReduCont);
          },
          options.read_ahead),
      headers_(screen.sets.headers),
      movement_fields_(screen.sets.movements) {}

ImportRun::MovementFields::MovementFields(host::RecordSet& rows)
    : account(rows.FieldByName("CDREDUCONT")),
      code(rows.FieldByName("CDSEQUEXTR")),
      number(rows.FieldByName("NRSEQMOVREAL")),
      document(rows.FieldByName("NRDOCMOVREAL")),
      date(rows.FieldByName("DTMOVREAL")),
      amount(rows.FieldByName("VRMOVREAL")),
      direction(rows.FieldByName("IDMOVREAL")),
      history(rows.FieldByName("DSHISTMOVREAL")),
      kind(rows.FieldByName("IDTIPOREGI")),
      category(rows.FieldByName("CDCATELANC")),
      reconciliation(rows.FieldByName("IDSTCONMVBAN")),
      type(rows.FieldByName("IDTPMOVREAL")) {}

void RunImport(const RunScreen& screen, host::TextFile& file, std::string& line,
               const Layout& layout, ImportOptions options) {
  // Each pass waits for at least one other import's commit: enough for a busy office.
  constexpr int kMostRuns = 50;
  RememberedAnswers answers;
  if (options.answers == nullptr)
    options.answers = &answers;
  for (int run = 1;; ++run) {
    try {
      ImportRun(screen, file, line, layout, options).Execute();
      return;
    } catch (const ImportRun::AccountChanged&) {
      if (run == kMostRuns) {
        host::MensErro(fmt::format("Outras importações gravaram nesta conta {} vezes enquanto este "
                                   "arquivo era lido; nada dele foi gravado. Tente de novo.",
                                   run),
                       true);
      }
    }
    if (options.observer)
      options.observer->OnRestart("Outra importação gravou nesta conta; lendo o arquivo de novo.");
    WaitBeforeRunningAgain(run);
    file.Reset();
  }
}

void ImportRun::Execute() {
  Begin();
  try {
    ReadLines();
    Submit();
  } catch (...) {
    screen_.progress.SetVisible(false);
    throw;
  }
  screen_.progress.SetVisible(false);
  ShowOutcome();
  screen_.sets.movements.EmptyDataSet();
}

void ImportRun::Begin() {
  if (options_.observer) {
    options_.observer->OnStart({screen_.bank, &layout_, file_.Path(), options_.preview});
  }
  policy_->Start(*this);
  host::ProgressBar& bar = screen_.progress;
  bar.SetPosition(0);
  bar.SetMax(static_cast<int>(std::min<std::uintmax_t>(file_.Size(), INT_MAX)));
  bar.SetVisible(true);
  state_.stCdSequExtr.clear();
  ForgetAccount();
  state_.stNrSeqMov = "0";
  screen_.sets.movements.EmptyDataSet();
}

void ImportRun::ReadLines() {
  while (!file_.Eof()) {
    line_ = file_.ReadLn();
    // Banks send blank lines between records; as records they would fail the bank
    // check, or resolve an account from blank columns.
    if (host::EmptyString(line_)) {
      if (layout_.blank_lines == BlankLines::kPassedOver)
        AdvanceProgress();
      continue;
    }
    switch (layout_.line_kind(layout_, line_)) {
      case LineKind::kRecord:
        HandleRecord(line_);
        break;
      case LineKind::kEndsAccount:
        ForgetAccount();
        break;
      case LineKind::kPassedOver:
        break;
    }
    AdvanceProgress();
  }
}

// By the bytes the line took, so that the bar, whose maximum is the file's size,
// fills whatever the encoding and the line ends.
void ImportRun::AdvanceProgress() {
  host::ProgressBar& bar = screen_.progress;
  bar.SetPosition(bar.Position() + static_cast<long long>(file_.LineBytes()));
  if (screen_.repaint)
    screen_.repaint();
}

void ImportRun::HandleRecord(std::string_view line) {
  if (layout_.check_record) {
    if (auto refused = layout_.check_record(line, account_resolved_ ? resolving_line_ : ""))
      Fail(screen_.messages.Msg(*refused));
  }
  if (!account_resolved_)
    ResolveAccount(line);
  Record record = ReadRecord(layout_, line);
  CheckBank(record);
  RecordValues values;
  values.kind = record.kind;
  values.date = ReadDate(record);
  values.amount = ToAmount(record.whole, record.decimals, LineNumber());
  values.history = record.history;
  if (!record.indicator) {
    if (options_.observer)
      options_.observer->OnIgnored(LineNumber());
    return;
  }
  values.direction = *record.indicator;
  const RecordKinds& kinds = layout_.kinds;
  if (values.kind == kinds.initial_balance) {
    InitialBalance(values);
  } else if (values.kind == kinds.movement) {
    Movement(record, values);
  } else if (values.kind == kinds.final_balance) {
    FinalBalance(values);
  }
}

void ImportRun::ForgetAccount() {
  account_resolved_ = false;
}

void ImportRun::ResolveAccount(std::string_view line) {
  host::RecordSet& masks = screen_.sets.mask;
  calls_.Load(masks, "GetMaskCont", host::Variant::array({screen_.bank}));
  std::string mask = masks.FieldByName("CDPICTCONT").AsString();
  std::string number = layout_.account(layout_, line, mask);
  std::string agency = layout_.agency(layout_, line);
  state_.stCdReduCont = LookUpAccount(agency, number);
  if (options_.observer) {
    options_.observer->OnAccountLookup(
        LineNumber(),
        {screen_.bank, agency, number, options_.account_type, mask,
         layout_.account_lookup == AccountLookup::kVerificaContCorr, state_.stCdReduCont});
  }
  if (host::EmptyString(state_.stCdReduCont)) {
    FocusBank();
    Fail(screen_.messages.Msg("CodRedu_NCad"));
  }
  ReadAccountVersion();
  state_.stCdSequExtr = NextSequenceCode();
  codes_met_.clear();
  has_header_ = false;
  account_resolved_ = true;
  resolving_line_ = line;
}

// The reduced code of the account; empty when none is registered.
std::string ImportRun::LookUpAccount(const std::string& agency, const std::string& number) {
  const std::string& bank = screen_.bank;
  const std::string& type = options_.account_type;
  if (layout_.account_lookup == AccountLookup::kContCorr) {
    host::RecordSet& found = screen_.sets.account;
    calls_.Load(found, "GetContCorr", host::Variant::array({bank, agency, number, type}));
    return found.FieldByName("CDREDUCONT").AsString();
  }
  host::RecordSet& found = screen_.sets.verified_account;
  calls_.Load(found, "GetVerificaContCorr",
              host::Variant::array({bank, agency + "%", number + "%", type + "%"}));
  return found.FieldByName("CDREDUCONT").AsString();
}

// Before any read of the account's statements: a commit into the account after this
// makes the submission come back, to be run again.
void ImportRun::ReadAccountVersion() {
  if (versions_.contains(state_.stCdReduCont))
    return;
  host::Variant version =
      calls_.Call("GetVersaoConta", host::Variant::array({state_.stCdReduCont}));
  if (!version.is_number_integer())
    throw host::EConvertError("Resposta inválida do servidor de aplicação a GetVersaoConta.");
  versions_[state_.stCdReduCont] = version.get<long long>();
}

// The headers this run holds are not stored yet, and the server does not count them.
std::string ImportRun::NextSequenceCode() {
  std::string offered =
      AsText(calls_.Call("GetPrxMovReal", host::Variant::array({state_.stCdReduCont, 1})));
  long long held = headers_.HighestCode(state_.stCdReduCont);
  return held >= ToNumberOrZero(offered) ? fmt::format("{:010}", held + 1) : offered;
}

void ImportRun::CheckBank(const Record& record) {
  stCdBancLido = record.bank;
  if (stCdBancLido != screen_.bank_cnab) {
    FocusBank();
    Fail(screen_.messages.Msg("Banco_Inv"));
  }
}

void ImportRun::FocusBank() {
  if (screen_.focus_bank)
    screen_.focus_bank();
}

host::Date ImportRun::ReadDate(const Record& record) {
  std::size_t number = LineNumber();
  std::uint16_t day = ToDatePart(record.day, DatePart::kDay, number);
  std::uint16_t month = ToDatePart(record.month, DatePart::kMonth, number);
  std::uint16_t year = ToDatePart(record.year, DatePart::kYear, number);
  return ToDate(year, month, day, fmt::format("{}/{}/{}", record.day, record.month, record.year),
                number);
}

void ImportRun::InitialBalance(const RecordValues& balance) {
  host::RecordSet& header = screen_.sets.headers;
  calls_.Load(header, "GetExtrBanco",
              host::Variant::array({state_.stCdReduCont, balance.date.ToIso()}));
  // A statement of the same day earlier in this file is continued as a stored one is.
  if (header.IsEmpty()) {
    if (auto held = headers_.Inserted(state_.stCdReduCont, balance.date))
      header.LoadPacket(*held);
  }
  bool stored = !header.IsEmpty();
  if (stored) {
    AdoptStoredStatement(header.FieldByName("CDSEQUEXTR").AsString());
  } else {
    // The code is fetched once per account, and a file may hold several statements
    // of it: a new one must not take the code of a header already stored.
    if (codes_met_.contains(state_.stCdSequExtr))
      state_.stCdSequExtr = NextSequenceCode();
    header.Append();
    header.FieldByName("CDREDUCONT").SetAsString(state_.stCdReduCont);
    header.FieldByName("CDSEQUEXTR").SetAsString(state_.stCdSequExtr);
    header.FieldByName("DTSALDINIC").SetAsDateTime(balance.date);
    header.FieldByName("VRSALDINIC").SetAsFloat(balance.amount);
    header.FieldByName("IDEXTRINI").SetAsString(balance.direction);
    header.Post();
  }
  codes_met_.insert(state_.stCdSequExtr);
  has_header_ = true;
  sums_ = {balance.date, Signed(balance.amount, balance.direction)};
  if (options_.observer) {
    options_.observer->OnInitialBalance(LineNumber(), BalanceOf(balance), stored);
  }
}

RunObserver::Balance ImportRun::BalanceOf(const RecordValues& balance) const {
  return {state_.stCdReduCont, state_.stCdSequExtr, balance.date, balance.amount,
          balance.direction};
}

// Numbering goes on after the stored movements and after those this run has
// numbered for the statement: they wait in cdsMovReal, unseen by the server.
void ImportRun::AdoptStoredStatement(const std::string& code) {
  if (layout_.stored_statement == StoredStatement::kAdoptOtherCode && code == state_.stCdSequExtr) {
    return;
  }
  state_.stCdSequExtr = code;
  host::RecordSet& sequence = screen_.sets.sequence;
  calls_.Load(sequence, "GetSequencia", host::Variant::array({state_.stCdReduCont, code}));
  long long stored = ToNumberOrZero(sequence.FieldByName("NRSEQMOV").AsString());
  long long numbered = UltSeqMovReal(state_.stCdReduCont, code);
  long long last = layout_.stored_statement == StoredStatement::kAdoptAddingRunNumbers
                       ? stored + numbered
                       : std::max(stored, numbered);
  state_.stNrSeqMov = std::to_string(last);
}

// The highest movement number this run has given the statement.
long long ImportRun::UltSeqMovReal(const std::string& account, const std::string& code) {
  host::RecordSet& rows = screen_.sets.movements;
  long long highest = 0;
  rows.SetFiltered(false);
  try {
    rows.SetFilter("CDREDUCONT = " + Quoted(account) + " AND CDSEQUEXTR = " + Quoted(code));
    rows.SetFiltered(true);
    for (rows.First(); !rows.Eof(); rows.Next()) {
      highest = std::max(highest, ToNumberOrZero(movement_fields_.number.AsString()));
    }
  } catch (...) {
    rows.SetFiltered(false);
    throw;
  }
  rows.SetFiltered(false);
  return highest;
}

// Sums, balances and the reconciliation read only "D" and "C"; a movement outside its
// statement's balances would be stored under no header.
void ImportRun::Movement(const Record& record, RecordValues& movement) {
  if (!has_header_)
    Fail(fmt::format("Linha {}: movimento sem o saldo inicial do extrato.", LineNumber()));
  CheckIndicator(movement.direction);
  (movement.direction == "C" ? sums_.credits : sums_.debits) += movement.amount;
  movement.document_key = host::Ajusta(record.document, 20);
  RunObserver::Movement outcome = policy_->Judge(*this, movement);
  if (outcome == RunObserver::Movement::kStored)
    stored_account_ = state_.stCdReduCont;
  else
    AddMovementRow(record, movement);
  if (options_.observer)
    options_.observer->OnMovement(
        LineNumber(),
        {movement.date, record.document, record.history, movement.amount, movement.direction},
        outcome);
}

void ImportRun::CheckIndicator(const std::string& indicator) {
  if (indicator != "D" && indicator != "C") {
    Fail(
        fmt::format("Linha {}: o indicador de débito/crédito do movimento é '{}'; esperado D ou C.",
                    LineNumber(), host::VisibleText(indicator)));
  }
}

void ImportRun::AddMovementRow(const Record& record, const RecordValues& movement) {
  MovementFields& field = movement_fields_;
  screen_.sets.movements.Append();
  field.account.SetAsString(state_.stCdReduCont);
  field.code.SetAsString(state_.stCdSequExtr);
  field.number.SetAsString(host::Ajusta(std::to_string(ToNumberOrZero(state_.stNrSeqMov) + 1), 10));
  state_.stNrSeqMov = field.number.AsString();
  const std::string& document =
      layout_.document_from_lookup ? movement.document_key : record.document;
  field.document.SetAsString(host::Ajusta(document, 20));
  field.date.SetAsDateTime(movement.date);
  field.amount.SetAsFloat(movement.amount);
  field.direction.SetAsString(movement.direction);
  field.history.SetAsString(record.history);
  field.kind.SetAsString(movement.kind);
  field.category.SetAsString(record.category);
  field.reconciliation.SetAsString("0");
  field.type.SetAsString("0");
  screen_.sets.movements.Post();
}

void ImportRun::FinalBalance(const RecordValues& balance) {
  // Without its initial balance the header in cdsExtrBanco is another statement's,
  // maybe of another account or an earlier run: editing it would corrupt it.
  if (!has_header_) {
    Fail(fmt::format("Linha {}: saldo final sem o saldo inicial do extrato.", LineNumber()));
  }
  CheckBalances(balance);
  host::RecordSet& header = screen_.sets.headers;
  header.Edit();
  header.FieldByName("DTSALDFIN").SetAsDateTime(balance.date);
  header.FieldByName("VRSALDFIM").SetAsFloat(balance.amount);
  header.FieldByName("IDEXTRFIM").SetAsString(balance.direction);
  header.Post();
  has_header_ = false;
  if (options_.observer) {
    options_.observer->OnFinalBalance(LineNumber(), BalanceOf(balance));
  }
  switch (layout_.final_balance_resets) {
    case FinalBalanceResets::kNothing:
      break;
    case FinalBalanceResets::kAccount:
      ForgetAccount();
      break;
    case FinalBalanceResets::kStatement:
      ForgetAccount();
      state_.stNrSeqMov = "0";
      state_.stCdSequExtr.clear();
      break;
  }
}

// The file's own statement: its movements must take its opening to its closing.
void ImportRun::CheckBalances(const RecordValues& closing) {
  double expected = sums_.opening + sums_.credits - sums_.debits;
  double stated = Signed(closing.amount, closing.direction);
  if (host::ToCents(expected) == host::ToCents(stated))
    return;
  unbalanced_.emplace_back(
      "de " + host::BrazilianDate(sums_.opening_date),
      fmt::format("saldo inicial {} + créditos {} - débitos {} = {}, mas o saldo final do "
                  "arquivo é {}",
                  BalanceText(sums_.opening), host::BrazilianAmount(sums_.credits),
                  host::BrazilianAmount(sums_.debits), BalanceText(expected), BalanceText(stated)));
}

// Before anything is stored: "Não", or the question closed, stores nothing.
void ImportRun::AskAboutUnbalanced() {
  for (const auto& [statement, sums] : unbalanced_) {
    if (Ask("Saldo_NConf", {statement, sums}) != Answer::kYes) {
      screen_.messages.ShowMsg("Import_Cancel", host::DialogType::kWarning);
      throw host::EAbort();
    }
  }
}

void ImportRun::Submit() {
  // A file found stored whole is reported as imported already, and changes nothing:
  // not even a balance it states otherwise.
  if (options_.check_balances && !FoundStoredWhole())
    AskAboutUnbalanced();
  host::Variant headers = FoundStoredWhole() ? host::Variant() : headers_.Changes();
  // The movements come first; they are written into the request, not copied.
  host::Variant arguments = policy_->SubmissionArguments(host::Variant(), std::move(headers));
  arguments.push_back(SubmissionContext());
  TellSubmitting();
  host::ActiveShowAvi(host::GetApplication().MainFormName(), 1);
  try {
    host::Variant stored = services::CallServerWithRows(
        screen_.connection, std::string(layout_.submission), arguments, 0, screen_.sets.movements);
    if (stored.is_object() && stored.contains("conta_alterada"))
      throw AccountChanged{AsText(stored["conta_alterada"])};
    if (stored.is_boolean() && !stored.get<bool>()) {
      screen_.messages.ShowMsg("Extrato_Ja_Imp", host::DialogType::kWarning);
      throw host::EAbort();
    }
  } catch (...) {
    host::DeactiveShowAvi();
    throw;
  }
  host::DeactiveShowAvi();
}

// Summed from the rows themselves: what the front ends show is what goes out.
void ImportRun::TellSubmitting() {
  if (options_.observer == nullptr)
    return;
  std::vector<RunObserver::Submitted> statements;
  std::map<std::pair<std::string, std::string>, std::size_t> index;
  host::RecordSet& rows = screen_.sets.movements;
  const MovementFields& field = movement_fields_;
  for (rows.First(); !rows.Eof(); rows.Next()) {
    auto [at, added] =
        index.try_emplace({field.account.AsString(), field.code.AsString()}, statements.size());
    if (added)
      statements.push_back({at->first.first, at->first.second});
    RunObserver::Submitted& statement = statements[at->second];
    (field.direction.AsString() == "C" ? statement.credits : statement.debits) +=
        field.amount.AsFloat();
  }
  options_.observer->OnSubmitting(statements);
}

// What the server checks the run's reads against, and names the import by.
host::Variant ImportRun::SubmissionContext() const {
  host::Variant context = {{"versoes", versions_}, {"arquivo", file_.Path()}};
  if (options_.preview)
    context["simulacao"] = true;
  return context;
}

bool ImportRun::FoundStoredWhole() const {
  return screen_.sets.movements.IsEmpty() && stored_account_.has_value();
}

bool ImportRun::RanWithoutData() const {
  switch (layout_.no_data) {
    case NoDataTest::kNoSequenceCode:
      return state_.stCdSequExtr.empty();
    case NoDataTest::kNoRecordRead:
      return stCdBancLido.empty();
    case NoDataTest::kNoMovement:
      return screen_.sets.movements.IsEmpty();
  }
  return false;
}

// Decided by this run alone: what an earlier run left in cdsPesqLanc, or a stored
// movement met before new ones, must not turn a run that stored data into an error.
void ImportRun::ShowOutcome() {
  if (FoundStoredWhole())
    Fail(WithArguments(screen_.messages.Msg("Arqu_JaImp"), {*stored_account_}));
  if (screen_.sets.movements.IsEmpty() && RanWithoutData())
    Fail(screen_.messages.Msg("Arqu_Sem_Dados"));
  screen_.messages.ShowMsg("Import_Suces", host::DialogType::kInformation);
}

bool ImportRun::FindStored(const RecordValues& movement) {
  host::RecordSet& stored = screen_.sets.stored;
  stored.LoadPacket(lookups_.Find(
      LookupArguments(state_.stCdReduCont, movement.document_key, movement.date, movement.amount)));
  return !stored.IsEmpty();
}

ImportRun::Answer ImportRun::Ask(const std::string& key) {
  return Ask(key, {});
}

ImportRun::Answer ImportRun::Ask(const std::string& key,
                                 const std::vector<std::string>& arguments) {
  std::string text = WithArguments(screen_.messages.Msg(key), arguments);
  int button = ButtonChosen(arguments.empty() ? key : text, text);
  if (button == host::kFirstCaption)
    return Answer::kNo;
  if (button == host::kFirstCaption + 1)
    return Answer::kYes;
  return Answer::kClosed;
}

int ImportRun::ButtonChosen(const std::string& remembered_as, const std::string& text) {
  if (options_.answers) {
    auto remembered = options_.answers->find(remembered_as);
    if (remembered != options_.answers->end())
      return remembered->second;
  }
  const host::TMessages& messages = screen_.messages;
  int button = host::MsgAlert(text, host::DialogType::kConfirmation,
                              {messages.Msg("N"), messages.Msg("S")}, 0);
  if (options_.answers)
    (*options_.answers)[remembered_as] = button;
  return button;
}

void ImportRun::Fail(const std::string& text) {
  host::MensErro(text, true);
}

}  // namespace importers
