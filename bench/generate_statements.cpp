// Writes a valid statement file made up from a seed:
//   generate_statements --layout NAME --movements N [--accounts K] [--seed S]
//                       [--output FILE]
// NAME is a layout of the table (bradesco, febraban, ...).
// Account 0 is the demonstration account of the layout's bank (`extrato db demo`).
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "importers/layouts.h"
#include "statement_generator.h"

int main(int argc, char** argv) {
  bench::GeneratorOptions options;
  std::string output;
  std::string layout;
  std::vector<std::string> names;
  for (const importers::Layout& row : importers::Layouts())
    names.emplace_back(row.name);
  CLI::App app{"Gera um arquivo de extrato válido para testes e medições."};
  app.add_option("--layout", layout, "layout do arquivo")
      ->required()
      ->check(CLI::IsMember(names, CLI::ignore_case));
  app.add_option("--movements", options.movements, "movimentos do arquivo")
      ->check(CLI::Range(0L, 800'000L));
  app.add_option("--accounts", options.accounts, "contas, um extrato cada")
      ->check(CLI::Range(1, 100));
  app.add_option("--seed", options.seed, "semente dos valores");
  app.add_option("--output", output, "arquivo gerado (padrão: a saída padrão)");
  CLI11_PARSE(app, argc, argv);
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
  for (const std::string& line : bench::GenerateStatement(options))
    out << line << "\r\n";
  return out ? 0 : 1;
}
