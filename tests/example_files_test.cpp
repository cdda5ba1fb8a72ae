// The example files of samples/ are what the generator makes today: a change to
// the generator cannot leave them stale.
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include <gtest/gtest.h>

#include "tools/statements/example_files.h"

namespace bench {
namespace {

const std::filesystem::path kSamples = std::filesystem::path(EXTRATO_SOURCE_DIR) / "samples";

std::string Committed(const std::string& name) {
  std::ifstream file(kSamples / name, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

TEST(ExampleFilesTest, CommittedFilesEqualAFreshGeneration) {
  for (const ExampleFile& example : ExampleFiles())
    EXPECT_EQ(StatementText(example.options), Committed(example.name))
        << example.name << " is stale: run scripts/regenerate-samples";
  EXPECT_EQ(ExamplesReadme(), Committed("README.md"))
      << "samples/README.md is stale: run scripts/regenerate-samples";
}

TEST(ExampleFilesTest, EveryFileInSamplesIsMadeByTheGenerator) {
  std::set<std::string> made = {"README.md"};
  for (const ExampleFile& example : ExampleFiles())
    made.insert(example.name);
  for (const auto& entry : std::filesystem::directory_iterator(kSamples))
    EXPECT_EQ(1u, made.count(entry.path().filename().string())) << entry.path();
}

}  // namespace
}  // namespace bench
