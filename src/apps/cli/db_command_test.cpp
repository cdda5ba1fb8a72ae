#include <unistd.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "apps/cli/commands.h"
#include "server/schema.h"

namespace cli {
namespace {

// Runs `extrato <line>` with only the db commands; answers the status and what was printed.
struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

Outcome RunDb(const std::string& line) {
  CLI::App app;
  Outcome run;
  RunContext context;
  AddDbCommands(app, context);
  ::testing::internal::CaptureStdout();
  ::testing::internal::CaptureStderr();
  app.parse(line, false);
  run.out = ::testing::internal::GetCapturedStdout();
  run.err = ::testing::internal::GetCapturedStderr();
  run.status = context.status;
  return run;
}

TEST(DbCommandTest, InitAndDemoSayWhatTheyDid) {
  std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("extrato_db_" + std::to_string(getpid()));
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  std::string uri = "sqlite:" + (folder / "extrato.db").string();

  Outcome init = RunDb("db init --db " + uri);
  EXPECT_EQ(init.status, kExitSuccess) << init.err;
  EXPECT_EQ(init.out, "Tabelas do extrato prontas em " + uri + " (versão " +
                          std::to_string(server::kSchemaVersion) + " do esquema).\n");
  for (const char* again : {"", " --add"}) {
    Outcome demo = RunDb("db demo --db " + uri + again);
    EXPECT_EQ(demo.status, kExitSuccess) << demo.err;
    EXPECT_EQ(demo.out, "Dados de demonstração em " + uri +
                            ": 9 bancos, 29 contas correntes, 1 layout(s).\n");
  }
  std::filesystem::remove_all(folder);
}

TEST(DbCommandTest, DatabaseItCannotUseEndsWithStatus1) {
  Outcome run = RunDb("db init --db mysql://localhost/extrato");
  EXPECT_EQ(run.status, kExitError);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err,
            "Erro: Banco de dados não reconhecido: 'mysql://localhost/extrato'. Use "
            "sqlite:CAMINHO ou postgresql://...\n");
}

}  // namespace
}  // namespace cli
