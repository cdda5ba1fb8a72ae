// extrato import: works the import screen from a terminal, as a person would.
#include <unistd.h>

#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include "apps/cli/commands.h"
#include "apps/cli/import_report.h"
#include "apps/cli/progress_line.h"
#include "apps/cli/screen_driver.h"
#include "apps/cli/server_address.h"
#include "apps/cli/terminal_ui.h"
#include "host/base_screen.h"
#include "host/config.h"
#include "host/routines.h"
#include "host/screen_module.h"
#include "server/database.h"
#include "server/embedded_server.h"

namespace cli {

namespace {

constexpr const char* kScreen = "frmImpExtBanc";
constexpr const char* kDbHelp =
    "Banco de dados: sqlite:CAMINHO ou postgresql://... (padrão: EXTRATO_DB ou o arquivo na "
    "pasta de dados do usuário)";

struct ImportOptions {
  std::string bank;                         // typed into the bank code field
  std::string file;                         // typed into the file field, made absolute
  std::string account_type = "Circulante";  // picked in the account type list
  std::string database_uri;                 // empty: EXTRATO_DB or the user's data folder
  std::string server;                       // empty: the server runs inside this process
  std::string company;                      // empty: EXTRATO_EMPRESA or the host's default
  bool yes = false;                         // answer every question "Sim"
  bool no = false;                          // answer every question "Não"
  bool json = false;                        // print the report object on stdout
};

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
  if (auto address = ParseServerAddress(options.server, host::HostConfig{}.web_port)) {
    overrides.web_url = address->host;
    overrides.web_port = address->port;
  }
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

host::EventOutcome Import(const ImportOptions& options, TerminalUi& ui) {
  try {
    std::string uri =
        options.database_uri.empty() ? server::DefaultDatabaseUri() : options.database_uri;
    host::Config() = host::LoadHostConfig(Overrides(options, uri));
    std::unique_ptr<server::EmbeddedServer> embedded;
    if (options.server.empty()) {
      embedded = std::make_unique<server::EmbeddedServer>(uri);
      host::Config().web_url = "127.0.0.1";
      host::Config().web_port = embedded->port();
    }
    host::ScreenModule module(host::ScreenModulePath("libQAR62700.so"));
    OpenScreen screen(module);
    if (screen.Outcome() != host::EventOutcome::kCompleted)
      return screen.Outcome();
    LookUpKeysIn(screen.Form(), ui);
    ScreenDriver driver(screen.Form());
    WatchedProgress progress(ui, driver.Find<host::ProgressBar>("pgbProgresso"));
    return WorkScreen(driver, options);
  } catch (const std::exception& e) {
    ui.ShowMessage({host::DialogType::kError, e.what(), std::nullopt});
    return host::EventOutcome::kFailed;
  }
}

int RunImport(const ImportOptions& options) {
  std::optional<ProgressLine> progress;
  if (isatty(STDERR_FILENO))
    progress.emplace(std::cerr);
  TerminalUi ui({Answers(options), isatty(STDIN_FILENO) != 0, &std::cin,
                 options.json ? &std::cerr : &std::cout, progress ? &*progress : nullptr});
  host::GetApplication().SetUiServices(&ui);
  host::EventOutcome ended = Import(options, ui);
  host::GetApplication().SetUiServices(nullptr);
  RunOutcome outcome = Classify(ended, ui.Shown());
  if (options.json)
    std::cout << ReportJson(outcome, ui.Shown()).dump() << std::endl;
  return StatusOf(outcome);
}

CLI::Validator ServerAddressValidator() {
  return CLI::Validator(
      [](std::string& text) -> std::string {
        return ParseServerAddress(text, 1) ? "" : "esperado http://ENDEREÇO:PORTA";
      },
      "URL");
}

CLI::Validator AccountTypeValidator() {
  return CLI::Validator(
      [](std::string& text) -> std::string {
        bool known = text == "Circulante" || text == "Aplicação" || text == "Garantida";
        return known ? "" : "esperado Circulante, Aplicação ou Garantida";
      },
      "TIPO");
}

// CLI11 words these in English; the user reads Portuguese.
void CheckUsage(const CLI::App& command, const ImportOptions& options) {
  for (const char* name : {"--bank", "--file"}) {
    if (command.count(name) == 0)
      throw CLI::ValidationError(name, "obrigatório (um valor vazio é aceito)");
  }
  if (options.yes && options.no)
    throw CLI::ValidationError("--yes", "não pode ser usado junto com --no");
}

}  // namespace

void AddImportCommand(CLI::App& app, int& status) {
  auto options = std::make_shared<ImportOptions>();
  CLI::App* command = app.add_subcommand(
      "import", "Importa um arquivo de extrato bancário, como a tela QAR62700 faria.");
  command->add_option("--bank", options->bank, "Código do banco (como no campo Banco)");
  command->add_option("--file", options->file, "Arquivo de extrato a importar");
  command->add_option("--account-type", options->account_type, "Tipo da conta corrente")
      ->capture_default_str()
      ->check(AccountTypeValidator());
  command->add_option("--db", options->database_uri, kDbHelp);
  command
      ->add_option("--server", options->server,
                   "Servidor de aplicação em execução (extrato serve); sem ele, o servidor roda "
                   "dentro deste processo. A consulta de bancos lê --db diretamente.")
      ->check(ServerAddressValidator());
  command->add_option("--company", options->company,
                      "Código da empresa processada (padrão: EXTRATO_EMPRESA ou 1)");
  command->add_flag("--yes", options->yes, "Responde \"Sim\" às perguntas");
  command->add_flag("--no", options->no, "Responde \"Não\" às perguntas");
  command->add_flag("--json", options->json, "Imprime o resultado como um objeto JSON");
  command->callback([command, options, &status] {
    CheckUsage(*command, *options);
    status = RunImport(*options);
  });
}

}  // namespace cli
