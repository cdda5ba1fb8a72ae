// A submission that carries its import whole: headers, movements, the versions of
// the accounts it read and its file; and undoing such imports.
#include <gtest/gtest.h>

#include "testing/test_database.h"

namespace server::testing {
namespace {

class ImportSubmissionTest : public ServiceTest {
 protected:
  void SetUp() override {
    ServiceTest::SetUp();
    if (IsSkipped())
      return;
    AddBradescoAccount();
  }

  long long Version() { return Result("GetVersaoConta", {"001"}).get<long long>(); }

  json Context(long long version, const std::string& file = "/extratos/marco.txt") {
    return {{"versoes", {{"001", version}}}, {"arquivo", file}};
  }

  json Submit(const std::vector<Movement>& movements, json headers, json context) {
    return Result("Set_Real_Bradesco",
                  {MovementPacket(movements), std::move(headers), std::move(context)});
  }

  // An import as the screen now sends it: the statement's header inserted (or its
  // final balance replaced) and its movements, at the version read first.
  json ImportStatement(const std::vector<Movement>& movements, json headers) {
    return Submit(movements, std::move(headers), Context(Version()));
  }

  // Every stored value of the statements and movements, row by row.
  std::vector<std::string> Tables() {
    std::vector<std::string> rows;
    for (const char* query :
         {"SELECT CDREDUCONT || CDSEQUEXTR || '|' || COALESCE(CAST(DTSALDFIN AS VARCHAR(10)), "
          "'-') || '|' || COALESCE(CAST(CAST(ROUND(VRSALDFIM * 100) AS BIGINT) AS VARCHAR(20)), "
          "'-') || '|' || "
          "COALESCE(IDEXTRFIM, '-') FROM EXTRBANCO ORDER BY 1",
          "SELECT CDREDUCONT || CDSEQUEXTR || NRSEQMOVREAL || '|' || NRDOCMOVREAL FROM MOVREAL "
          "ORDER BY 1"}) {
      soci::rowset<std::string> lines = (sql().prepare << query);
      for (const std::string& line : lines)
        rows.push_back(line);
    }
    return rows;
  }

  std::string NewestImport() { return Result("GetImportacoes", json::array())["rows"][0][0]; }
};
EXTRATO_ON_EVERY_DATABASE(ImportSubmissionTest);

host::Row Closed(host::Row header, const std::string& date, double balance) {
  header[3] = *host::Date::FromIso(date);
  header[5] = balance;
  header[7] = std::string("C");
  return header;
}

// A new statement as a run posts it: inserted, then its final balance edited.
json NewStatement(const std::string& code, double closing) {
  host::Row opened = NewHeader("001", code, "2024-03-01", 100.0);
  return host::ToJson(
      host::ChangeSet{HeaderFields(),
                      {{host::ChangeOp::kInsert, {}, opened},
                       {host::ChangeOp::kModify, opened, Closed(opened, "2024-03-31", closing)}}});
}

// A stored statement whose final balance a later file replaces.
json ReplacedBalance(const std::string& code, double before, double after) {
  host::Row stored = Closed(NewHeader("001", code, "2024-03-01", 100.0), "2024-03-31", before);
  return host::ToJson(host::ChangeSet{
      HeaderFields(), {{host::ChangeOp::kModify, stored, Closed(stored, "2024-03-31", after)}}});
}

// Movements first..last of statement `code`, numbered from `number`.
std::vector<Movement> Range(int first, int last, const std::string& code = "0000000001",
                            int number = 1) {
  std::vector<Movement> movements;
  for (int i = first; i <= last; ++i, ++number) {
    movements.push_back({"001", code, fmt::format("{:010}", number), fmt::format("{:020}", i),
                         "2024-03-01", static_cast<double>(i)});
  }
  return movements;
}

TEST_P(ImportSubmissionTest, HeadersAreStoredWithTheMovementsOrNotAtAll) {
  EXPECT_EQ(Version(), 0);
  EXPECT_EQ(ImportStatement(Range(1, 3), NewStatement("0000000001", 106.0)), true);
  EXPECT_EQ(Version(), 1);
  EXPECT_EQ(Tables(), (std::vector<std::string>{"0010000000001|2024-03-31|10600|C",
                                                "00100000000010000000001|00000000000000000001",
                                                "00100000000010000000002|00000000000000000002",
                                                "00100000000010000000003|00000000000000000003"}));
  json listed = Result("GetImportacoes", json::array())["rows"][0];
  EXPECT_EQ(listed[2], "/extratos/marco.txt") << "the file travels with the submission";
  EXPECT_EQ(listed[9], "3");

  std::vector<std::string> before = Tables();
  std::vector<Movement> twice = Range(4, 5, "0000000002");
  twice[1].number = twice[0].number;
  EXPECT_EQ(ImportStatement(twice, NewStatement("0000000002", 1.0)), false);
  EXPECT_EQ(Tables(), before) << "a refused submission leaves its header out too";
  EXPECT_EQ(Version(), 1);
}

// A preview's submission is answered as the import's would be, and nothing of it is
// kept: not its rows, the account's version or the history.
TEST_P(ImportSubmissionTest, ATrialIsCheckedAsAnImportAndRolledBack) {
  json trial = Context(Version());
  trial["simulacao"] = true;
  EXPECT_EQ(Submit(Range(1, 3), NewStatement("0000000001", 106.0), trial), true);
  std::vector<Movement> twice = Range(4, 5);
  twice[1].number = twice[0].number;
  EXPECT_EQ(Submit(twice, NewStatement("0000000001", 1.0), trial), false);
  EXPECT_EQ(Tables(), std::vector<std::string>{});
  EXPECT_EQ(Version(), 0);
  EXPECT_EQ(Result("GetImportacoes", json::array())["rows"], json::array());
}

TEST_P(ImportSubmissionTest, AWriteAfterTheReadsSendsTheClientBackAndStoresNothing) {
  long long read = Version();
  EXPECT_EQ(ImportStatement(Range(1, 3), NewStatement("0000000001", 106.0)), true);
  std::vector<std::string> before = Tables();
  EXPECT_EQ(Submit(Range(4, 5, "0000000002"), NewStatement("0000000002", 9.0), Context(read)),
            json({{"conta_alterada", "001"}}));
  EXPECT_EQ(Tables(), before);

  // A header saved on its own by an older client counts as a write too.
  read = Version();
  Result("SetExtrBanco", {HeaderInsert(NewHeader("001", "0000000003", "2024-04-01", 1.0))});
  EXPECT_EQ(Submit(Range(4, 5, "0000000002"), nullptr, Context(read)),
            json({{"conta_alterada", "001"}}));

  // A movement that came in without raising the version is still never stored twice.
  read = Version();
  Exec(
      "INSERT INTO MOVREAL (CDREDUCONT, CDSEQUEXTR, NRSEQMOVREAL, NRDOCMOVREAL, DTMOVREAL, "
      "VRMOVREAL) VALUES ('001', '0000000009', '0000000001', '00000000000000000004', "
      "'2024-03-01', 4)");
  EXPECT_EQ(Submit(Range(4, 5, "0000000002"), nullptr, Context(read)),
            json({{"conta_alterada", "001"}}));
  EXPECT_EQ(Count("SELECT COUNT(*) FROM MOVREAL WHERE NRDOCMOVREAL = '00000000000000000005'"), 0);
}

// The sums a front end shows after an import: of the whole statement, and of what the
// account's newest import stored in it.
TEST_P(ImportSubmissionTest, TheStatementSummarySumsCreditsAndDebitsOfItAndOfTheNewestImport) {
  auto summary = [this] { return Result("GetResumoExtrato", {"001", "0000000001"}); };
  EXPECT_EQ(summary(), json::parse(R"({"credits":0.0,"debits":0.0,"stored_credits":0.0,)"
                                   R"("stored_debits":0.0})"));
  EXPECT_EQ(ImportStatement(Range(1, 3), NewStatement("0000000001", 106.0)), true);
  std::vector<Movement> later = Range(4, 6, "0000000001", 4);
  later[1].direction = "D";
  later[2].direction = "D";
  EXPECT_EQ(ImportStatement(later, ReplacedBalance("0000000001", 106.0, 99.0)), true);
  EXPECT_EQ(summary(), json::parse(R"({"credits":10.0,"debits":11.0,"stored_credits":4.0,)"
                                   R"("stored_debits":11.0})"));
}

TEST_P(ImportSubmissionTest, UndoRestoresTheFinalBalanceTheImportReplaced) {
  std::vector<std::string> empty = Tables();
  EXPECT_EQ(ImportStatement(Range(1, 3), NewStatement("0000000001", 106.0)), true);
  std::string first = NewestImport();
  std::vector<std::string> after_first = Tables();
  EXPECT_EQ(
      ImportStatement(Range(4, 5, "0000000001", 4), ReplacedBalance("0000000001", 106.0, 115.0)),
      true);
  std::string second = NewestImport();

  EXPECT_EQ(Result("DesfazImportacao", {second}), json::parse(R"({"movements":2,"statements":0})"));
  EXPECT_EQ(Tables(), after_first);
  EXPECT_EQ(Result("DesfazImportacao", {first}), json::parse(R"({"movements":3,"statements":1})"));
  EXPECT_EQ(Tables(), empty);
  EXPECT_EQ(Version(), 4) << "every import and undo raises it";
}

// Undone out of order, each import leaves what the others did: the later import's
// movements keep the header the earlier one created, and its final balance stays.
TEST_P(ImportSubmissionTest, UndoingAnEarlierImportKeepsWhatALaterOneStored) {
  std::vector<std::string> empty = Tables();
  EXPECT_EQ(ImportStatement(Range(1, 3), NewStatement("0000000001", 106.0)), true);
  std::string first = NewestImport();
  EXPECT_EQ(
      ImportStatement(Range(4, 5, "0000000001", 4), ReplacedBalance("0000000001", 106.0, 115.0)),
      true);
  std::string second = NewestImport();

  EXPECT_EQ(Result("DesfazImportacao", {first}), json::parse(R"({"movements":3,"statements":0})"));
  EXPECT_EQ(Tables(), (std::vector<std::string>{"0010000000001|2024-03-31|11500|C",
                                                "00100000000010000000004|00000000000000000004",
                                                "00100000000010000000005|00000000000000000005"}));
  EXPECT_EQ(Result("DesfazImportacao", {second}), json::parse(R"({"movements":2,"statements":1})"));
  EXPECT_EQ(Tables(), empty) << "the header goes with the last import that held it";
}

TEST_P(ImportSubmissionTest, AContextOfAnotherShapeIsRefused) {
  EXPECT_EQ(Error("Set_Real_Bradesco", {MovementPacket({}), nullptr, {{"versoes", {1, 2}}}}),
            "Argumento 3 de Set_Real_Bradesco (contexto da importação): o contexto da importação "
            "deve ser {\"versoes\": {conta: número}, \"arquivo\": texto, \"simulacao\": "
            "verdadeiro ou falso}.");
  json trial = Context(Version());
  trial["simulacao"] = "sim";
  EXPECT_NE(Error("Set_Real_Bradesco", {MovementPacket({}), nullptr, trial}), "");
  EXPECT_EQ(Error("Set_Real_Bradesco", {MovementPacket({}), nullptr, "x"}),
            "Argumento 3 de Set_Real_Bradesco (contexto da importação): deve ser um objeto.");
}

}  // namespace
}  // namespace server::testing
