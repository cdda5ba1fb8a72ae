// The example statement files of samples/: which generator settings make each one,
// so that scripts/regenerate-samples writes them and a test finds them unchanged.
#ifndef EXTRATO_TOOLS_STATEMENTS_EXAMPLE_FILES_H_
#define EXTRATO_TOOLS_STATEMENTS_EXAMPLE_FILES_H_

#include <string>
#include <vector>

#include "tools/statements/statement_generator.h"

namespace bench {

struct ExampleFile {
  std::string name;         // file name under samples/
  std::string description;  // the layout, as the README names it
  GeneratorOptions options;
};

const std::vector<ExampleFile>& ExampleFiles();

// A generated statement as it is written to disk: CRLF after every line.
std::string StatementText(const GeneratorOptions& options);

// samples/README.md: the files and the demonstration accounts they import into.
std::string ExamplesReadme();

}  // namespace bench

#endif  // EXTRATO_TOOLS_STATEMENTS_EXAMPLE_FILES_H_
