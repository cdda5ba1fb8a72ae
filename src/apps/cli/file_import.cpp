#include "apps/cli/file_import.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <iostream>
#include <map>
#include <optional>

#include <fmt/format.h>

#include "apps/cli/screen_driver.h"
#include "apps/cli/server_address.h"
#include "apps/common/file_bank.h"
#include "apps/common/import_summary.h"
#include "apps/common/message_detail.h"
#include "apps/common/remote_reads.h"
#include "host/base_screen.h"
#include "host/config.h"
#include "host/routines.h"
#include "host/screen_module.h"
#include "server/database.h"
#include "server/in_process_server.h"

namespace cli {

namespace {

constexpr const char* kScreen = "frmImpExtBanc";
constexpr const char* kNameTheBank = "Informe o banco com --bank CÓDIGO (veja: extrato bancos).";
// Keys of a run that found its file stored already.
constexpr std::array<std::string_view, 2> kAlreadyKeys = {"Arqu_JaImp", "Extrato_Ja_Imp"};

// A path typed as the user gave it would depend on the folder the screen runs
// in; an empty one stays empty, for the screen's own message.
std::string AbsolutePath(const std::string& path) {
  if (host::EmptyString(path))
    return path;
  std::error_code error;
  std::filesystem::path absolute = std::filesystem::absolute(path, error);
  return error ? path : absolute.lexically_normal().string();
}

host::HostConfigOverrides Overrides(const ImportOptions& options, const std::string& uri) {
  host::HostConfigOverrides overrides = ConnectionOverrides(uri, options.server, options.ca_file);
  if (!options.company.empty())
    overrides.empresa = options.company;
  return overrides;
}

// Closes the screen on every way out, while the server it talks to still runs.
class OpenScreen {
 public:
  explicit OpenScreen(const host::ScreenModule& module) {
    outcome_ = host::GetApplication().Dispatch([&] { module.FindEntry("IniProc")(); });
    if (outcome_ == host::EventOutcome::kCompleted)
      form_ = &FindScreen(kScreen);
  }
  ~OpenScreen() {
    if (form_ != nullptr)
      host::GetApplication().Dispatch([this] { form_->Close(); });
  }
  OpenScreen(const OpenScreen&) = delete;
  OpenScreen& operator=(const OpenScreen&) = delete;

  host::EventOutcome Outcome() const { return outcome_; }
  host::Form& Form() const { return *form_; }

 private:
  host::EventOutcome outcome_;
  host::Form* form_ = nullptr;
};

// The terminal draws the screen's progress bar while the screen is open.
class WatchedProgress {
 public:
  WatchedProgress(TerminalUi& ui, const host::ProgressBar& bar) : ui_(ui) {
    ui_.WatchProgress(&bar);
  }
  ~WatchedProgress() { ui_.WatchProgress(nullptr); }
  WatchedProgress(const WatchedProgress&) = delete;
  WatchedProgress& operator=(const WatchedProgress&) = delete;

 private:
  TerminalUi& ui_;
};

// The terminal shows the screen's dialogs while it lives.
class ShownOn {
 public:
  explicit ShownOn(TerminalUi& ui) { host::GetApplication().SetUiServices(&ui); }
  ~ShownOn() { host::GetApplication().SetUiServices(nullptr); }
  ShownOn(const ShownOn&) = delete;
  ShownOn& operator=(const ShownOn&) = delete;
};

// Names the table key of the screen's messages that are shown without one.
void LookUpKeysIn(const host::Form& form, TerminalUi& ui) {
  const auto* screen = dynamic_cast<const host::TfrmRotiGeral*>(&form);
  if (screen == nullptr)
    return;
  ui.SetKeyLookup([entries = screen->msgPadrao.Entries()](const std::string& text) {
    return KeyOfText(entries, text);
  });
}

// The person's actions, in order; the first that does not complete ends the run.
host::EventOutcome WorkScreen(ScreenDriver& screen, const ImportOptions& options,
                              const std::string& bank, const std::string& file) {
  host::EventOutcome outcome = screen.TypeAndLeave("medCdBanco", bank);
  if (outcome == host::EventOutcome::kCompleted)
    outcome = screen.TypeAndLeave("edtNmArquivo", AbsolutePath(file));
  if (outcome == host::EventOutcome::kCompleted)
    outcome = screen.Pick("cbTipoConta", options.account_type);
  if (outcome == host::EventOutcome::kCompleted)
    outcome = screen.Click("sbtConfirma");
  return outcome;
}

// The process's connections reach the server inside it, or the one named, while
// this lives.
class Connections {
 public:
  explicit Connections(server::InProcessServer* in_process) {
    host::SetTransportFactory(in_process ? in_process->Factory() : host::HttpTransportFactory());
  }
  ~Connections() { host::SetTransportFactory(nullptr); }
  Connections(const Connections&) = delete;
  Connections& operator=(const Connections&) = delete;
};

// A call of the application server outside the screen, for the details.
host::Variant CallServer(const std::string& method, const host::Variant& params) {
  host::TNetConnection connection("netDetalhe");
  connection.SetHost(host::Config().web_url);
  connection.SetPort(host::Config().web_port);
  connection.SetServerName("QAR62700.rdmImpExtBanc");
  connection.SetConnected(true);
  host::Variant answer = connection.AppServer().Call(method, params);
  if (!answer.value("ok", false))
    throw std::runtime_error(answer.value("error", ""));
  return answer["result"];
}

// The line under the run's last message, where the front end knows more.
void AddDetail(const ScreenDriver& screen, const apps::ImportSummary& run, TerminalUi& ui) {
  if (ui.Shown().empty())
    return;
  apps::DetailContext context;
  context.bank = screen.Find<host::Edit>("medCdBanco").Text();
  context.file = screen.Find<host::Edit>("edtNmArquivo").Text();
  context.run = &run;
  context.call = CallServer;
  if (auto detail = apps::MessageDetail(ui.Shown().back().text, context))
    ui.AddDetail(*detail);
}

// Whether the run ended with its success message: its movements are stored, unless
// it was a preview.
bool EndedStored(const TerminalUi& ui) {
  return !ui.Shown().empty() && ui.Shown().back().key == std::optional<std::string>("Import_Suces");
}

bool FoundStoredAlready(const std::vector<ShownMessage>& shown) {
  return !shown.empty() && shown.back().key &&
         std::find(kAlreadyKeys.begin(), kAlreadyKeys.end(), *shown.back().key) !=
             kAlreadyKeys.end();
}

// Tells the screen's runs to report to the summary while it lives, and whether
// they are previews.
class WatchedRuns {
 public:
  WatchedRuns(const host::ScreenModule& module, apps::ImportSummary& summary, bool preview)
      : define_(reinterpret_cast<void (*)(importers::RunObserver*)>(
            module.FindEntry("DefObservadorImportacao"))) {
    define_(&summary);
    reinterpret_cast<void (*)(bool)>(module.FindEntry("DefSimulacaoImportacao"))(preview);
  }
  ~WatchedRuns() { define_(nullptr); }
  WatchedRuns(const WatchedRuns&) = delete;
  WatchedRuns& operator=(const WatchedRuns&) = delete;

 private:
  void (*define_)(importers::RunObserver*);
};

// Without the server's sums when the server fails them too: the run's own message
// already tells why, and must stay the last one.
nlohmann::json SummaryJson(const apps::ImportSummary& summary, bool succeeded) {
  try {
    return summary.ToJson(CallServer, succeeded);
  } catch (const std::exception&) {
    return nullptr;
  }
}

// A line of this command's own about the file's bank, on the terminal and in the
// report, apart from the screen's messages, which alone tell how the run ended.
void Say(std::vector<ShownMessage>& said, const char* kind, const std::string& text,
         const std::optional<std::string>& detail = std::nullopt) {
  static const std::map<std::string, std::string> kPrefix = {
      {"information", ""}, {"warning", "Aviso: "}, {"error", "Erro: "}};
  std::cerr << kPrefix.at(kind) << text << "\n";
  if (detail)
    std::cerr << "  " << *detail << "\n";
  said.push_back({std::nullopt, kind, text, detail});
}

// The one bank a person at the terminal picks among several; none when nobody can.
std::optional<apps::RegisteredBank> AskWhichBank(const apps::FileBank& found,
                                                 const TerminalUiOptions& ui_options,
                                                 std::vector<ShownMessage>& said) {
  if (!ui_options.interactive || ui_options.input == nullptr)
    return std::nullopt;
  std::vector<std::string> codes;
  for (const apps::RegisteredBank& bank : found.banks)
    codes.push_back(bank.code);
  std::string question = apps::SeveralBanksText(found) + " Qual deles?";
  std::cerr << "Pergunta: " << question << "\n";
  said.push_back({std::nullopt, "question", question});
  for (;;) {
    std::cerr << fmt::format("Escolha ({}): ", fmt::join(codes, "/")) << std::flush;
    std::string line;
    // Nobody left to answer: no bank is picked.
    if (!std::getline(*ui_options.input, line))
      return std::nullopt;
    for (const apps::RegisteredBank& bank : found.banks) {
      if (host::AllTrim(line) == bank.code)
        return bank;
    }
  }
}

// The bank the file names; none, with the reason said, when it names no single one.
std::optional<std::string> BankOfFile(const std::string& file, const TerminalUiOptions& ui_options,
                                      FileResult& result) {
  apps::FileBank found;
  try {
    found = apps::BankOfFile(apps::RecogniseFile(file), CallServer, host::EmprProc());
  } catch (const std::exception& e) {
    Say(result.shown, "error", e.what(), kNameTheBank);
    return std::nullopt;
  }
  std::optional<apps::RegisteredBank> bank;
  if (found.banks.size() == 1)
    bank = found.banks.front();
  else if (found.banks.size() > 1)
    bank = AskWhichBank(found, ui_options, result.shown);
  if (!bank) {
    Say(result.shown, "error",
        found.problem.empty() ? apps::SeveralBanksText(found) : found.problem, kNameTheBank);
    return std::nullopt;
  }
  result.recognised = apps::RecognitionJson(found.file, *bank);
  Say(result.shown, "information", apps::RecognisedText(*bank));
  return bank->code;
}

// Warns when the file carries the code of another bank than the one given.
void CompareWithFile(const std::string& file, const std::string& bank, FileResult& result) {
  try {
    std::optional<apps::RegisteredBank> given = apps::FindBank(bank, CallServer);
    if (!given)
      return;
    importers::FileRecognition recognition = apps::RecogniseFile(file);
    if (auto warning = apps::OtherBankWarning(recognition, *given))
      Say(result.shown, "warning", *warning);
  } catch (const std::exception&) {
    // The run that follows reads the file and the registry again, and says what fails.
  }
}

bool IsFile(const std::string& path) {
  std::error_code error;
  return !host::EmptyString(path) && std::filesystem::is_regular_file(path, error);
}

}  // namespace

struct ImportSession::Parts {
  std::unique_ptr<server::InProcessServer> in_process;
  std::unique_ptr<Connections> connections;
  std::unique_ptr<host::ScreenModule> module;
};

ImportSession::ImportSession(const ImportOptions& options)
    : options_(options), parts_(std::make_unique<Parts>()) {
  // A workstation with a server address has no database of its own, not even a folder.
  std::string uri = options.database_uri.empty() && options.server.empty()
                        ? server::DefaultDatabaseUri()
                        : options.database_uri;
  if (options.server.empty())
    server::RequireExistingDatabase(uri);
  else if (auto notice = apps::UnusedDatabaseNotice(options.database_uri, options.server))
    std::cerr << *notice << "\n";
  apps::ReadThroughServer(!options.server.empty());
  host::Config() = host::LoadHostConfig(Overrides(options, uri));
  // Without --server the server is this process's alone: no port, no socket.
  if (options.server.empty())
    parts_->in_process = std::make_unique<server::InProcessServer>(uri);
  parts_->connections = std::make_unique<Connections>(parts_->in_process.get());
  parts_->module = std::make_unique<host::ScreenModule>(host::ScreenModulePath("libQAR62700.so"));
}

ImportSession::~ImportSession() = default;

FileResult ImportSession::Import(const std::string& file, const TerminalUiOptions& ui_options) {
  FileResult result;
  result.file = file;
  TerminalUi ui(ui_options);
  ShownOn shown_on(ui);
  host::EventOutcome ended = host::EventOutcome::kFailed;
  try {
    // A path that is no file gets the screen's own message, whoever names the bank.
    std::optional<std::string> bank = options_.bank;
    if (bank && IsFile(file))
      CompareWithFile(file, *bank, result);
    else if (!bank)
      bank = IsFile(file) ? BankOfFile(file, ui_options, result) : std::string();
    if (!bank) {
      result.outcome = RunOutcome::kError;
      return result;
    }
    result.bank = *bank;
    OpenScreen screen(*parts_->module);
    if (screen.Outcome() != host::EventOutcome::kCompleted) {
      ended = screen.Outcome();
    } else {
      LookUpKeysIn(screen.Form(), ui);
      apps::ImportSummary summary;
      if (options_.dry_run)
        summary.KeepLines();
      summary.OnRestartSaid([](const std::string& reason) { std::cerr << reason << "\n"; });
      WatchedRuns watched_runs(*parts_->module, summary, options_.dry_run);
      ScreenDriver driver(screen.Form());
      WatchedProgress progress(ui, driver.Find<host::ProgressBar>("pgbProgresso"));
      ended = WorkScreen(driver, options_, *bank, file);
      if (!ui.StoppedByInterrupt())
        AddDetail(driver, summary, ui);
      if (!summary.Empty() && !ui.StoppedByInterrupt())
        result.summary = SummaryJson(summary, EndedStored(ui));
    }
  } catch (const std::exception& e) {
    ui.ShowMessage({host::DialogType::kError, e.what(), std::nullopt});
    ended = host::EventOutcome::kFailed;
  }
  result.outcome = ui.StoppedByInterrupt() ? RunOutcome::kInterrupted : Classify(ended, ui.Shown());
  result.already_imported =
      result.outcome == RunOutcome::kAborted && FoundStoredAlready(ui.Shown());
  result.shown.insert(result.shown.end(), ui.Shown().begin(), ui.Shown().end());
  return result;
}

FileResult FailedToBegin(const std::string& reason) {
  FileResult result;
  result.outcome = RunOutcome::kError;
  std::cerr << "Erro: " << reason << "\n";
  result.shown.push_back({std::nullopt, "error", reason});
  return result;
}

}  // namespace cli
