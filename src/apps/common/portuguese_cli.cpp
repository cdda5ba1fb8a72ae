#include "apps/common/portuguese_cli.h"

#include <algorithm>
#include <array>
#include <optional>
#include <regex>

#include <fmt/format.h>

namespace apps {

namespace {

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

std::string Translated(const CLI::Error& error) {
  std::string text = error.what();
  for (const Translation& translation : Translations()) {
    if (std::regex_match(text, translation.english))
      return std::regex_replace(text, translation.english, translation.portuguese);
  }
  return text;
}

// The command the parse reached: the last subcommand it entered.
const CLI::App& Reached(const CLI::App& app) {
  std::vector<CLI::App*> entered = app.get_subcommands();
  return entered.empty() ? app : Reached(*entered.back());
}

std::vector<std::string> CommandNames(const CLI::App& command) {
  std::vector<std::string> names;
  for (const CLI::App* sub : command.get_subcommands({}))
    names.push_back(sub->get_name());
  return names;
}

// The options that `command` takes, those its parents let fall through included.
std::vector<std::string> OptionNames(const CLI::App& command) {
  std::vector<std::string> names;
  for (const CLI::App* at = &command; at != nullptr; at = at->get_parent()) {
    for (const CLI::Option* option : at->get_options()) {
      for (const std::string& name : option->get_lnames())
        names.push_back("--" + name);
    }
  }
  return names;
}

std::size_t Distance(const std::string& a, const std::string& b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j)
    row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

std::string Suggestion(const std::string& typed, const std::vector<std::string>& known) {
  std::string nearest = Nearest(typed, known);
  return nearest.empty() ? "" : fmt::format(" Você quis dizer {}?", nearest);
}

// A word the reached command does not know, said with what it does know.
std::optional<std::string> UnknownWord(const CLI::App& app, const std::string& translated) {
  const CLI::App& reached = Reached(app);
  std::vector<std::string> words = app.remaining(true);
  if (words.empty())
    return std::nullopt;
  // An option mistyped leaves its value behind as a word of its own: the option is
  // what to name.
  auto option = std::find_if(words.begin(), words.end(),
                             [](const std::string& word) { return word.starts_with("-"); });
  const std::string& word = option != words.end() ? *option : words.front();
  if (word.starts_with("-")) {
    return fmt::format("Opção desconhecida: {}.{}", word, Suggestion(word, OptionNames(reached)));
  }
  std::vector<std::string> commands = CommandNames(reached);
  if (commands.empty())
    return translated;
  return fmt::format("Comando desconhecido: {}.{}\nComandos: {}.", word, Suggestion(word, commands),
                     fmt::join(commands, ", "));
}

}  // namespace

void PresentInPortuguese(CLI::App& app) {
  app.option_defaults()->group("Opções");
  app.set_help_flag("-h,--help", "Mostra esta ajuda e termina");
  auto formatter = std::make_shared<CLI::Formatter>();
  for (const auto& [english, portuguese] : kLabels)
    formatter->label(english, portuguese);
  formatter->column_width(34);
  app.formatter(formatter);
  app.failure_message([](const CLI::App* failed, const CLI::Error& error) {
    return fmt::format("{}\nExecute com --help para ver o uso.\n", UsageErrorText(*failed, error));
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

std::string UsageErrorText(const CLI::App& app, const CLI::Error& error) {
  std::string translated = Translated(error);
  bool required = error.get_name() == "RequiredError";
  bool missing_command =
      required && std::string_view(error.what()).find("subcommand") != std::string::npos;
  // A word not understood is what went wrong, even when it leaves something required
  // unsaid: "--bnak" for "--bank".
  // CLI11 names an ExtrasError after the command, not its kind.
  if (required || dynamic_cast<const CLI::ExtrasError*>(&error) != nullptr) {
    if (std::optional<std::string> unknown = UnknownWord(app, translated))
      return *unknown;
  }
  if (missing_command) {
    std::vector<std::string> commands = CommandNames(Reached(app));
    return fmt::format("{}. Comandos: {}.", translated, fmt::join(commands, ", "));
  }
  return translated;
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

std::string Nearest(const std::string& typed, const std::vector<std::string>& known) {
  std::string nearest;
  // A slip: a letter or two, fewer in a short word.
  std::size_t best = std::max<std::size_t>(1, std::min<std::size_t>(2, typed.size() / 3)) + 1;
  for (const std::string& word : known) {
    std::size_t distance = Distance(typed, word);
    bool prefix = word.starts_with(typed) || typed.starts_with(word);
    if (prefix && typed.size() >= 3)
      distance = std::min<std::size_t>(distance, 1);
    if (distance < best) {
      best = distance;
      nearest = word;
    }
  }
  return nearest;
}

}  // namespace apps
