#include "tools/statements/example_files.h"

#include <algorithm>

#include <fmt/format.h>

#include "layouts/layouts.h"

namespace bench {

namespace {

// Small enough to read, large enough to show every record kind.
constexpr long kMovements = 8;
constexpr std::uint64_t kSeed = 7;

}  // namespace

// One a layout, in name order.
const std::vector<ExampleFile>& ExampleFiles() {
  static const std::vector<ExampleFile> files = [] {
    std::vector<ExampleFile> made;
    for (const importers::Layout& layout : importers::Layouts()) {
      if (!layout.demo.example_file.empty()) {
        made.push_back({std::string(layout.demo.example_file),
                        std::string(layout.demo.example_description),
                        {&layout, kMovements, 1, kSeed}});
      }
    }
    std::sort(made.begin(), made.end(),
              [](const ExampleFile& a, const ExampleFile& b) { return a.name < b.name; });
    return made;
  }();
  return files;
}

std::string StatementText(const GeneratorOptions& options) {
  std::string text;
  for (const std::string& line : GenerateStatement(options))
    text += line + "\r\n";
  return text;
}

std::string ExamplesReadme() {
  std::string text =
      "# Example statement files\n\n"
      "Made up by the project's statement generator with a fixed seed; nothing here\n"
      "comes from a real bank. `scripts/regenerate-samples` writes this folder again,\n"
      "byte for byte, and a test checks that it is up to date.\n\n"
      "Each file imports into the demonstration database (`extrato db demo`), account\n"
      "type Circulante:\n\n"
      "| file | layout | `--bank` | account (reduced code) | agency | account number |\n"
      "|---|---|---|---|---|---|\n";
  for (const ExampleFile& file : ExampleFiles()) {
    GeneratedAccount account = GeneratedAccounts(*file.options.layout, 1).front();
    text += fmt::format("| {} | {} | {} | {} | {} | {} |\n", file.name, file.description,
                        account.bank, account.reduced, account.agency, account.number);
  }
  text +=
      "\nFor example:\n\n"
      "```\n"
      "extrato db demo --db sqlite:/tmp/demo.db\n"
      "extrato import --db sqlite:/tmp/demo.db --bank 237 --file samples/bradesco-200.txt\n"
      "```\n";
  return text;
}

}  // namespace bench
