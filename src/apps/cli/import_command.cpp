// extrato import: works the import screen from a terminal, as a person would, once
// for each file.
#include <unistd.h>

#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include <fmt/format.h>

#include "apps/cli/batch_report.h"
#include "apps/cli/commands.h"
#include "apps/cli/file_import.h"
#include "apps/cli/file_moves.h"
#include "apps/cli/import_options.h"
#include "apps/cli/interrupt.h"
#include "apps/cli/progress_line.h"
#include "apps/cli/server_address.h"
#include "apps/cli/statement_files.h"
#include "apps/cli/terminal_ui.h"
#include "apps/cli/usage.h"
#include "apps/common/import_summary.h"
#include "host/utf8.h"

namespace cli {

namespace {

constexpr const char* kDbHelp =
    "Banco de dados: sqlite:CAMINHO ou postgresql://... (padrão: EXTRATO_DB ou o arquivo na "
    "pasta de dados do usuário)";
// As wide as the bank code field of the screen.
constexpr std::size_t kBankCodeSize = 3;
constexpr const char* kNothingStored = "Simulação: nada foi gravado no banco de dados.";
constexpr const char* kStoppedBetweenFiles =
    "Importação interrompida: os arquivos seguintes não foram lidos.";

AnswerPolicy Answers(const ImportOptions& options) {
  if (options.yes)
    return AnswerPolicy::kYes;
  return options.no ? AnswerPolicy::kNo : AnswerPolicy::kAsk;
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

// Where a file goes once its outcome is known; none when it stays.
std::optional<Moved> MoveAfterRun(const FileResult& result, const ImportOptions& options) {
  bool imported = result.outcome == RunOutcome::kSuccess || result.already_imported;
  const std::string& folder = imported ? options.processed : options.failed;
  if (result.outcome == RunOutcome::kInterrupted && !(options.processed + options.failed).empty())
    return Moved{"", "a importação foi interrompida"};
  if (folder.empty())
    return std::nullopt;
  Moved moved = MoveInto(result.file, folder);
  if (moved.to.empty())
    std::cerr << "Aviso: o arquivo " << result.file << " ficou onde estava: " << moved.reason
              << "\n";
  else
    std::cerr << "Arquivo movido para " << moved.to << ".\n";
  return moved;
}

// The files of the command, one after another, with one session for all.
class Importer {
 public:
  explicit Importer(const ImportOptions& options) : options_(options) {
    if (isatty(STDERR_FILENO))
      progress_.emplace(std::cerr);
    ui_options_ = {Answers(options),
                   isatty(STDIN_FILENO) != 0,
                   &std::cin,
                   &std::cerr,
                   progress_ ? &*progress_ : nullptr,
                   &InterruptWatch::Interrupted,
                   &InterruptWatch::Storing};
    try {
      session_ = std::make_unique<ImportSession>(options);
    } catch (const std::exception& e) {
      failure_ = e.what();
    }
  }

  BatchEntry Import(const std::string& file) {
    BatchEntry entry{session_ ? session_->Import(file, ui_options_) : FailedToBegin(failure_),
                     std::nullopt};
    entry.result.file = file;
    if (!options_.dry_run && session_)
      entry.moved = MoveAfterRun(entry.result, options_);
    return entry;
  }

  bool Began() const { return session_ != nullptr; }

 private:
  const ImportOptions& options_;
  std::optional<ProgressLine> progress_;
  TerminalUiOptions ui_options_;
  std::unique_ptr<ImportSession> session_;
  std::string failure_;
};

// One file: the report of one run, as it has always been.
int ImportOne(Importer& importer, const std::string& file, const ImportOptions& options,
              bool json) {
  BatchEntry entry = importer.Import(file);
  FileResult& result = entry.result;
  PrintSummary(result.summary, json);
  // Said after the run's own messages, which alone tell how it ended.
  if (options.dry_run && result.outcome != RunOutcome::kInterrupted) {
    std::cerr << kNothingStored << "\n";
    result.shown.push_back({std::nullopt, "information", kNothingStored});
  }
  if (json) {
    nlohmann::json report = ReportJson(result.outcome, result.shown, result.summary);
    if (!result.recognised.is_null())
      report["recognised"] = result.recognised;
    if (entry.moved)
      AddMove(report, *entry.moved);
    std::cout << report.dump() << std::endl;
  }
  int status = StatusOf(result.outcome);
  return MoveFailed(entry) ? std::max(status, static_cast<int>(kExitError)) : status;
}

// Many files: each one's report as it ends, then the table of them all.
int ImportMany(Importer& importer, const std::vector<std::string>& files,
               const ImportOptions& options, bool json) {
  std::vector<BatchEntry> entries;
  bool interrupted = false;
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (InterruptWatch::Interrupted()) {
      std::cerr << kStoppedBetweenFiles << "\n";
      interrupted = true;
      break;
    }
    std::cerr << fmt::format("Arquivo {} de {}: {}\n", i + 1, files.size(), files[i]);
    entries.push_back(importer.Import(files[i]));
    const FileResult& result = entries.back().result;
    if (!json && !result.summary.is_null())
      std::cout << "== " << result.file << "\n";
    PrintSummary(result.summary, json);
    if (json)
      std::cout << FileJson(entries.back()).dump() << std::endl;
    interrupted = result.outcome == RunOutcome::kInterrupted;
    if (interrupted || !importer.Began())
      break;
  }
  if (options.dry_run)
    std::cerr << kNothingStored << "\n";
  if (json)
    std::cout << BatchJson(entries, files.size(), interrupted).dump() << std::endl;
  else
    std::cout << "\n" << BatchTable(entries) << std::flush;
  return BatchStatus(entries, interrupted);
}

// Messages, questions and progress go to stderr; stdout holds only the result.
int RunImport(const ImportOptions& options, bool json) {
  InterruptWatch watch;
  Importer importer(options);
  if (!ManyFiles(options.files))
    return ImportOne(importer, options.files.front(), options, json);
  return ImportMany(importer, StatementFiles(options.files), options, json);
}

// CLI11 words these in English; the user reads Portuguese.
void CheckUsage(const ImportOptions& options) {
  if (options.files.empty())
    throw CLI::ValidationError("--file", "obrigatório (um valor vazio é aceito)");
  if (options.yes && options.no)
    throw CLI::ValidationError("--yes", "não pode ser usado junto com --no");
  if (options.dry_run && !(options.processed.empty() && options.failed.empty()))
    throw CLI::ValidationError("--dry-run", "não move arquivos: não use --processed ou --failed");
  // The field would keep the first three characters and import into another bank.
  if (options.bank && host::Utf8Length(*options.bank) > kBankCodeSize) {
    throw CLI::ValidationError(
        "--bank", fmt::format("o código do banco tem no máximo {} caracteres", kBankCodeSize));
  }
}

}  // namespace

void AddImportCommand(CLI::App& app, RunContext& context) {
  auto options = std::make_shared<ImportOptions>();
  auto bank = std::make_shared<std::string>();
  auto named_files = std::make_shared<std::vector<std::string>>();
  CLI::App* command = app.add_subcommand(
      "import",
      "Importa arquivos de extrato bancário: cada arquivo, e os arquivos de extrato de cada "
      "pasta (.txt, .ret, .ext ou .cnab, em ordem de nome), um depois do outro.");
  command
      ->add_option("--bank", *bank,
                   "Código do banco, até 3 caracteres (veja: extrato bancos); sem ele, o banco "
                   "que o arquivo traz")
      ->option_text("CODIGO");
  command
      ->add_option("--file", options->files,
                   "Arquivo de extrato, ou pasta de arquivos de extrato, a importar (pode "
                   "repetir)")
      ->option_text("CAMINHO");
  command->add_option("arquivos", *named_files, "Mais arquivos ou pastas")
      ->option_text("CAMINHO ...");
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
  command
      ->add_option("--processed", options->processed,
                   "Pasta para onde vai cada arquivo importado ou já importado, depois da sua "
                   "importação")
      ->option_text("PASTA");
  command
      ->add_option("--failed", options->failed,
                   "Pasta para onde vai cada arquivo que não foi importado, depois da sua "
                   "importação")
      ->option_text("PASTA");
  command->callback([command, options, bank, named_files, &context] {
    if (command->count("--bank") > 0)
      options->bank = *bank;
    options->files.insert(options->files.end(), named_files->begin(), named_files->end());
    CheckUsage(*options);
    context.status = RunImport(*options, context.json);
  });
}

}  // namespace cli
