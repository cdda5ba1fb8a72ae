#include "apps/cli/import_report.h"

#include <gtest/gtest.h>

namespace cli {
namespace {

using host::EventOutcome;

const std::vector<std::pair<std::string, std::string>> kTable = {
    {"Banco_NCad", "Banco não cadastrado."},
    {"Arqu_JaImp", "Arquivo já importado para a conta corrente de código reduzido %s."},
    {"Import_Suces", "A importação de extrato bancário foi realizada com sucesso."},
};

ShownMessage Message(std::optional<std::string> key, std::string kind, std::string text = "x") {
  return {std::move(key), std::move(kind), std::move(text)};
}

TEST(ImportReportTest, OutcomeFollowsHowTheRunEndedAndWhatItShowed) {
  struct Case {
    const char* name;
    EventOutcome ended;
    std::vector<ShownMessage> shown;
    RunOutcome expected;
    int status;
  };
  const std::vector<Case> cases = {
      {"success message",
       EventOutcome::kCompleted,
       {Message("Import_Suces", "information")},
       RunOutcome::kSuccess,
       0},
      {"answered question, then success",
       EventOutcome::kCompleted,
       {Message("Mov_JaImp", "question"), Message("Import_Suces", "information")},
       RunOutcome::kSuccess,
       0},
      {"confirm that showed nothing", EventOutcome::kCompleted, {}, RunOutcome::kNone, 3},
      {"only a question, nothing else",
       EventOutcome::kCompleted,
       {Message("Mov_JaImp", "question")},
       RunOutcome::kNone,
       3},
      {"error message",
       EventOutcome::kAborted,
       {Message("Banco_NCad", "error")},
       RunOutcome::kError,
       1},
      {"failure shown by the host",
       EventOutcome::kFailed,
       {Message(std::nullopt, "error")},
       RunOutcome::kError,
       1},
      {"already imported, shown as an error",
       EventOutcome::kAborted,
       {Message("Arqu_JaImp", "error")},
       RunOutcome::kAborted,
       2},
      {"stored already, a warning",
       EventOutcome::kAborted,
       {Message("Extrato_Ja_Imp", "warning")},
       RunOutcome::kAborted,
       2},
      {"cancelled after a question",
       EventOutcome::kAborted,
       {Message("Mov_JaImp", "question"), Message("Import_Cancel", "warning")},
       RunOutcome::kAborted,
       2},
      {"silent abort with nothing shown", EventOutcome::kAborted, {}, RunOutcome::kError, 1},
  };
  for (const Case& c : cases) {
    RunOutcome outcome = Classify(c.ended, c.shown);
    EXPECT_EQ(c.expected, outcome) << c.name;
    EXPECT_EQ(c.status, StatusOf(outcome)) << c.name;
  }
}

TEST(ImportReportTest, JsonListsEveryMessageInOrder) {
  std::vector<ShownMessage> shown = {
      Message("Mov_JaImp", "question", "Já existe?"),
      Message(std::nullopt, "error", "Falha \"grave\""),
  };
  EXPECT_EQ(R"({"messages":[{"key":"Mov_JaImp","kind":"question","text":"Já existe?"},)"
            R"({"key":null,"kind":"error","text":"Falha \"grave\""}],"outcome":"aborted"})",
            ReportJson(RunOutcome::kAborted, shown).dump());
  EXPECT_EQ(R"({"messages":[],"outcome":"none"})", ReportJson(RunOutcome::kNone, {}).dump());
  EXPECT_EQ("success", ReportJson(RunOutcome::kSuccess, {})["outcome"]);
  EXPECT_EQ("error", ReportJson(RunOutcome::kError, {})["outcome"]);
}

TEST(ImportReportTest, KeyOfTextFindsTheEntryAlsoWithItsPlaceholderFilled) {
  EXPECT_EQ("Banco_NCad", KeyOfText(kTable, "Banco não cadastrado."));
  EXPECT_EQ(
      "Arqu_JaImp",
      KeyOfText(kTable, "Arquivo já importado para a conta corrente de código reduzido 001."));
  EXPECT_EQ(std::nullopt, KeyOfText(kTable, "Banco não cadastrado"));
  EXPECT_EQ(std::nullopt, KeyOfText(kTable, "Arquivo já importado."));
  EXPECT_EQ(std::nullopt, KeyOfText(kTable, "Erro ao consultar o banco de dados."));
}

}  // namespace
}  // namespace cli
