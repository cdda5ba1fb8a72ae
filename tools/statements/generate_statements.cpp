// Writes a valid statement file made up from a seed:
//   generate_statements --layout NAME --movements N [--accounts K] [--seed S]
//                       [--later-days D] [--output FILE]
// NAME is a layout of the table (bradesco, febraban, ...).
// Account 0 is the demonstration account of the layout's bank (`extrato db demo`).
//   generate_statements --samples DIR
// writes the example files of samples/ and their README into DIR.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "layouts/layouts.h"
#include "tools/statements/example_files.h"
#include "tools/statements/statement_generator.h"

namespace {

bool WriteFile(const std::filesystem::path& path, const std::string& text) {
  std::ofstream file(path, std::ios::binary);
  file << text;
  if (!file.flush()) {
    std::cerr << "Não foi possível gravar " << path.string() << ".\n";
    return false;
  }
  return true;
}

int WriteExamples(const std::filesystem::path& folder) {
  for (const bench::ExampleFile& example : bench::ExampleFiles()) {
    if (!WriteFile(folder / example.name, bench::StatementText(example.options)))
      return 1;
  }
  return WriteFile(folder / "README.md", bench::ExamplesReadme()) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  bench::GeneratorOptions options;
  std::string output;
  std::string samples;
  std::string layout;
  std::vector<std::string> names;
  for (const importers::Layout& row : importers::Layouts())
    names.emplace_back(row.name);
  CLI::App app{"Gera um arquivo de extrato válido para testes e medições."};
  auto* examples = app.add_option("--samples", samples, "grava os arquivos de exemplo nesta pasta");
  app.add_option("--layout", layout, "layout do arquivo")
      ->excludes(examples)
      ->check(CLI::IsMember(names, CLI::ignore_case));
  app.add_option("--movements", options.movements, "movimentos do arquivo")
      ->check(CLI::Range(0L, 800'000L));
  app.add_option("--accounts", options.accounts, "contas, um extrato cada")
      ->check(CLI::Range(1, 100));
  app.add_option("--seed", options.seed, "semente dos valores");
  app.add_option("--later-days", options.later_days,
                 "dias de 02/01/2024 ao primeiro dia dos extratos")
      ->check(CLI::Range(0, 36'500));
  app.add_option("--output", output, "arquivo gerado (padrão: a saída padrão)");
  CLI11_PARSE(app, argc, argv);
  if (!samples.empty())
    return WriteExamples(samples);
  if (app.count("--layout") == 0) {
    std::cerr << "--layout deve ser informado.\n";
    return 64;
  }
  options.layout = importers::FindLayout(layout);

  std::ofstream file;
  if (!output.empty()) {
    file.open(output, std::ios::binary);
    if (!file) {
      std::cerr << "Não foi possível criar " << output << ".\n";
      return 1;
    }
  }
  std::ostream& out = output.empty() ? std::cout : file;
  out << bench::StatementText(options);
  return out.flush() ? 0 : 1;
}
