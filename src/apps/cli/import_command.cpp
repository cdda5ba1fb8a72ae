// extrato import: works the import screen from a terminal, as a person would.
#include <unistd.h>

#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include <fmt/format.h>

#include "apps/cli/commands.h"
#include "apps/cli/import_report.h"
#include "apps/cli/interrupt.h"
#include "apps/cli/progress_line.h"
#include "apps/cli/screen_driver.h"
#include "apps/cli/server_address.h"
#include "apps/cli/terminal_ui.h"
#include "apps/cli/usage.h"
#include "apps/common/import_summary.h"
#include "apps/common/message_detail.h"
#include "apps/common/remote_reads.h"
#include "host/base_screen.h"
#include "host/config.h"
#include "host/routines.h"
#include "host/screen_module.h"
#include "host/utf8.h"
#include "server/database.h"
#include "server/in_process_server.h"

namespace cli {

namespace {

constexpr const char* kScreen = "frmImpExtBanc";
constexpr const char* kDbHelp =
    "Banco de dados: sqlite:CAMINHO ou postgresql://... (padrão: EXTRATO_DB ou o arquivo na "
    "pasta de dados do usuário)";
// As wide as the bank code field of the screen.
constexpr std::size_t kBankCodeSize = 3;

struct ImportOptions {
  std::string bank;                         // typed into the bank code field
  std::string file;                         // typed into the file field, made absolute
  std::string account_type = "Circulante";  // picked in the account type list
  std::string database_uri;                 // empty: EXTRATO_DB or the user's data folder
  std::string server;                       // empty: the server runs inside this process
  std::string ca_file;                      // empty: EXTRATO_CA or the system's authorities
  std::string company;                      // empty: EXTRATO_EMPRESA or the host's default
  bool yes = false;                         // answer every question "Sim"
  bool no = false;                          // answer every question "Não"
  bool dry_run = false;                     // run the rules, store nothing
};

constexpr const char* kNothingStored = "Simulação: nada foi gravado no banco de dados.";

AnswerPolicy Answers(const ImportOptions& options) {
  if (options.yes)
    return AnswerPolicy::kYes;
  return options.no ? AnswerPolicy::kNo : AnswerPolicy::kAsk;
}

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
  host::HostConfigOverrides overrides;
  overrides.database_uri = uri;
  if (!options.company.empty())
    overrides.empresa = options.company;
  if (auto address = apps::ParseServerAddress(options.server, host::HostConfig{}.web_port)) {
    overrides.web_url = address->host;
    overrides.web_port = address->port;
    overrides.web_tls = address->tls;
  }
  if (!options.ca_file.empty())
    overrides.ca_file = options.ca_file;
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
host::EventOutcome WorkScreen(ScreenDriver& screen, const ImportOptions& options) {
  host::EventOutcome outcome = screen.TypeAndLeave("medCdBanco", options.bank);
  if (outcome == host::EventOutcome::kCompleted)
    outcome = screen.TypeAndLeave("edtNmArquivo", AbsolutePath(options.file));
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

host::EventOutcome Import(const ImportOptions& options, TerminalUi& ui,
                          nlohmann::json& summary_json) {
  try {
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
    std::unique_ptr<server::InProcessServer> in_process;
    if (options.server.empty())
      in_process = std::make_unique<server::InProcessServer>(uri);
    Connections connections(in_process.get());
    host::ScreenModule module(host::ScreenModulePath("libQAR62700.so"));
    OpenScreen screen(module);
    if (screen.Outcome() != host::EventOutcome::kCompleted)
      return screen.Outcome();
    LookUpKeysIn(screen.Form(), ui);
    apps::ImportSummary summary;
    if (options.dry_run)
      summary.KeepLines();
    summary.OnRestartSaid([](const std::string& reason) { std::cerr << reason << "\n"; });
    WatchedRuns watched_runs(module, summary, options.dry_run);
    ScreenDriver driver(screen.Form());
    WatchedProgress progress(ui, driver.Find<host::ProgressBar>("pgbProgresso"));
    host::EventOutcome outcome = WorkScreen(driver, options);
    if (!ui.StoppedByInterrupt())
      AddDetail(driver, summary, ui);
    bool succeeded = EndedStored(ui);
    if (!summary.Empty() && !ui.StoppedByInterrupt())
      summary_json = SummaryJson(summary, succeeded);
    return outcome;
  } catch (const std::exception& e) {
    ui.ShowMessage({host::DialogType::kError, e.what(), std::nullopt});
    return host::EventOutcome::kFailed;
  }
}

// The summary is the import's result: on stdout; its warnings, on stderr.
void PrintSummary(const nlohmann::json& summary, bool json) {
  if (summary.is_null())
    return;
  for (const auto& warning : summary["warnings"])
    std::cerr << "Aviso: " << warning.get<std::string>() << "\n";
  if (!json)
    std::cout << apps::SummaryText(summary) << std::flush;
}

// Messages, questions and progress go to stderr; stdout holds only the result.
int RunImport(const ImportOptions& options, bool json) {
  std::optional<ProgressLine> progress;
  if (isatty(STDERR_FILENO))
    progress.emplace(std::cerr);
  TerminalUi ui({Answers(options), isatty(STDIN_FILENO) != 0, &std::cin, &std::cerr,
                 progress ? &*progress : nullptr, &InterruptWatch::Interrupted,
                 &InterruptWatch::Storing});
  host::GetApplication().SetUiServices(&ui);
  host::EventOutcome ended;
  nlohmann::json summary;
  {
    InterruptWatch watch;
    ended = Import(options, ui, summary);
  }
  host::GetApplication().SetUiServices(nullptr);
  RunOutcome outcome =
      ui.StoppedByInterrupt() ? RunOutcome::kInterrupted : Classify(ended, ui.Shown());
  PrintSummary(summary, json);
  // Said after the run's own messages, which alone tell how it ended.
  std::vector<ShownMessage> shown = ui.Shown();
  if (options.dry_run && outcome != RunOutcome::kInterrupted) {
    std::cerr << kNothingStored << "\n";
    shown.push_back({std::nullopt, "information", kNothingStored});
  }
  if (json)
    std::cout << ReportJson(outcome, shown, summary).dump() << std::endl;
  return StatusOf(outcome);
}

// CLI11 words these in English; the user reads Portuguese.
void CheckUsage(const CLI::App& command, const ImportOptions& options) {
  for (const char* name : {"--bank", "--file"}) {
    if (command.count(name) == 0)
      throw CLI::ValidationError(name, "obrigatório (um valor vazio é aceito)");
  }
  if (options.yes && options.no)
    throw CLI::ValidationError("--yes", "não pode ser usado junto com --no");
  // The field would keep the first three characters and import into another bank.
  if (host::Utf8Length(options.bank) > kBankCodeSize) {
    throw CLI::ValidationError(
        "--bank", fmt::format("o código do banco tem no máximo {} caracteres", kBankCodeSize));
  }
}

}  // namespace

void AddImportCommand(CLI::App& app, RunContext& context) {
  auto options = std::make_shared<ImportOptions>();
  CLI::App* command = app.add_subcommand("import", "Importa um arquivo de extrato bancário.");
  command
      ->add_option("--bank", options->bank,
                   "Código do banco, até 3 caracteres (veja: extrato bancos)")
      ->option_text("CODIGO");
  command->add_option("--file", options->file, "Arquivo de extrato a importar")
      ->option_text("CAMINHO");
  command
      ->add_option("--account-type", options->account_type,
                   "Tipo da conta corrente: Circulante, Aplicação ou Garantida (padrão: "
                   "Circulante)")
      ->option_text("TIPO")
      ->check(OneOf({"Circulante", "Aplicação", "Garantida"}));
  command->add_option("--db", options->database_uri, kDbHelp)->option_text("URI");
  command
      ->add_option("--server", options->server,
                   "Servidor de aplicação em execução (extrato serve); sem ele, o servidor roda "
                   "dentro deste processo, e --db não é usado")
      ->option_text("URL")
      ->check(ServerAddressValidator());
  AddCaOption(*command, options->ca_file);
  command
      ->add_option("--company", options->company,
                   "Código da empresa processada (padrão: EXTRATO_EMPRESA ou 1)")
      ->option_text("CODIGO");
  command->add_flag("--dry-run", options->dry_run,
                    "Simula: aplica as mesmas regras e mostra o que cada linha faria, sem gravar "
                    "nada (nem extrato, nem movimento, nem pasta, nem registro da importação)");
  command->add_flag("--yes", options->yes, "Responde \"Sim\" às perguntas");
  command->add_flag("--no", options->no, "Responde \"Não\" às perguntas (o padrão sem terminal)");
  command->callback([command, options, &context] {
    CheckUsage(*command, *options);
    context.status = RunImport(*options, context.json);
  });
}

}  // namespace cli
