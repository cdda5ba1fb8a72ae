#include "apps/cli/usage.h"

#include <array>
#include <regex>

#include <fmt/format.h>

#include "apps/common/version.h"

namespace cli {

namespace {

constexpr const char* kExitStatuses =
    "Status de saída:\n"
    "  0    a importação terminou com a mensagem de sucesso (ou o comando fez o que pediu)\n"
    "  1    terminou com um erro (mensagem da tela, falha do servidor, arquivo, banco de dados)\n"
    "  2    abandonada depois de um aviso, ou o arquivo já estava todo importado\n"
    "  3    terminou sem nenhuma mensagem (layout da empresa que nenhum importador lê)\n"
    "  64   uso incorreto da linha de comando\n"
    "  130  interrompida (Ctrl-C), sem gravar parte dos movimentos";

// CLI11's own words, and ours.
constexpr std::array<std::pair<const char*, const char*>, 12> kLabels = {{
    {"Usage", "Uso"},
    {"OPTIONS", "OPÇÕES"},
    {"SUBCOMMAND", "COMANDO"},
    {"SUBCOMMANDS", "COMANDOS"},
    {"REQUIRED", "(obrigatório)"},
    {"Env", "variável"},
    {"Positionals", "Argumentos"},
    {"Needs", "Exige"},
    {"Excludes", "Exclui"},
    {"TEXT", "TEXTO"},
    {"INT", "NUMERO"},
    {"UINT", "NUMERO"},
}};

struct Translation {
  std::regex english;
  const char* portuguese;  // with $1, $2 for the captured parts
};

const std::vector<Translation>& Translations() {
  static const std::vector<Translation> translations = {
      {std::regex("^The following arguments? (?:was|were) not expected: (.*)$"),
       "Argumento não esperado: $1"},
      {std::regex("^A subcommand is required$"), "Falta o comando"},
      {std::regex("^Requires at least (\\d+) subcommands$"), "Faltam comandos"},
      {std::regex("^(.*) is required$"), "$1 é obrigatório"},
      {std::regex("^(\\S+): \\d+ required \\S+ missing$"), "$1: falta o valor"},
      {std::regex("^Expected exactly (\\d+) arguments? to (\\S+), got (\\d+)$"),
       "$2: esperado(s) $1 valor(es), recebido(s) $3"},
      {std::regex("^(\\S+): At Most (\\d+) required but received (\\d+)$"),
       "$1: aceita no máximo $2 valor(es), recebido(s) $3"},
      {std::regex("^Could not convert: (\\S+) = (.*)$"), "$1: valor inválido: $2"},
      {std::regex("^The value (.*) is not an allowed value for (.*)$"),
       "$2: valor não permitido: $1"},
      {std::regex("^(\\S+): too many inputs for a flag$"), "$1 não recebe valor"},
      {std::regex("^(\\S+) excludes (\\S+)$"), "$1 não pode ser usado junto com $2"},
      {std::regex("^(\\S+) requires (\\S+)$"), "$1 exige $2"},
  };
  return translations;
}

}  // namespace

std::string Version() {
  return apps::kVersion;
}

void PresentInPortuguese(CLI::App& app) {
  app.option_defaults()->group("Opções");
  app.set_help_flag("-h,--help", "Mostra esta ajuda e termina");
  app.set_version_flag("--version", fmt::format("extrato {}", Version()),
                       "Mostra a versão e termina");
  app.footer(kExitStatuses);
  auto formatter = std::make_shared<CLI::Formatter>();
  for (const auto& [english, portuguese] : kLabels)
    formatter->label(english, portuguese);
  formatter->column_width(34);
  app.formatter(formatter);
  app.failure_message([](const CLI::App*, const CLI::Error& error) {
    return fmt::format("{}\nExecute com --help para ver o uso.\n", UsageErrorText(error));
  });
}

void NameGroupsInPortuguese(CLI::App& app) {
  for (CLI::App* command : app.get_subcommands({})) {
    command->group("Comandos");
    // A subcommand makes its help flag before it takes its parent's defaults.
    if (CLI::Option* help = command->get_help_ptr())
      help->group("Opções");
    NameGroupsInPortuguese(*command);
  }
}

std::string UsageErrorText(const CLI::Error& error) {
  std::string text = error.what();
  for (const Translation& translation : Translations()) {
    if (std::regex_match(text, translation.english))
      return std::regex_replace(text, translation.english, translation.portuguese);
  }
  return text;
}

CLI::Validator OneOf(std::vector<std::string> values) {
  std::string listed = fmt::format("{}", fmt::join(values, ", "));
  return CLI::Validator(
      [values = std::move(values), listed](std::string& text) -> std::string {
        bool known = std::find(values.begin(), values.end(), text) != values.end();
        return known ? "" : fmt::format("esperado um de: {}", listed);
      },
      "");
}

}  // namespace cli
