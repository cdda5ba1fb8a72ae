#include <gtest/gtest.h>

#include "testing/test_database.h"

namespace server::testing {
namespace {

class HistoryMethodsTest : public ServiceTest {
 protected:
  void SetUp() override {
    ServiceTest::SetUp();
    if (IsSkipped())
      return;
    AddBradescoAccount();
  }

  // Every stored value of the statements and movements, row by row.
  std::vector<std::string> Tables() {
    soci::session sql;
    Connect(sql, ParseDatabaseUri(uri()));
    std::vector<std::string> rows;
    for (auto [table, columns] :
         {std::pair{"EXTRBANCO",
                    "CDREDUCONT, CDSEQUEXTR, DTSALDINIC, DTSALDFIN, VRSALDINIC, "
                    "VRSALDFIM, IDEXTRINI, IDEXTRFIM"},
          std::pair{"MOVREAL",
                    "CDREDUCONT, CDSEQUEXTR, NRSEQMOVREAL, NRDOCMOVREAL, DTMOVREAL, "
                    "VRMOVREAL, IDMOVREAL, DSHISTMOVREAL, IDSTCONMVBAN"}}) {
      std::string joined;
      std::string text = columns;
      for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find(',', start);
        std::string column = text.substr(start, end - start);
        column.erase(0, column.find_first_not_of(' '));
        joined += (joined.empty() ? "" : " || '|' || ") +
                  fmt::format("COALESCE(CAST({} AS VARCHAR(40)), '-')", column);
        start = end == std::string::npos ? text.size() : end + 1;
      }
      soci::rowset<std::string> lines =
          (sql.prepare << fmt::format("SELECT {} FROM {} ORDER BY {}", joined, table, columns));
      for (const std::string& line : lines)
        rows.push_back(std::string(table) + ":" + line);
    }
    return rows;
  }

  // A first import of statement `code`: its header, then its movements.
  void Import(const std::string& code, std::vector<Movement> movements, json header = nullptr) {
    Result("SetExtrBanco", {HeaderInsert(NewHeader("001", code, "2024-03-01", 100.0))});
    EXPECT_EQ(Result("Set_Real_Bradesco", {MovementPacket(movements), header}), true);
  }

  std::string NewestImport() { return Result("GetImportacoes", json::array())["rows"][0][0]; }
};
EXTRATO_ON_EVERY_DATABASE(HistoryMethodsTest);

// The final balance the second import puts on the first statement.
json FinalBalanceEdit() {
  host::Row before = NewHeader("001", "0000000001", "2024-03-01", 100.0);
  host::Row after = before;
  after[3] = *host::Date::FromIso("2024-03-31");
  after[5] = 250.0;
  after[7] = std::string("C");
  host::ChangeSet changes{HeaderFields(), {{host::ChangeOp::kModify, before, after}}};
  return host::ToJson(changes);
}

TEST_P(HistoryMethodsTest, UndoPutsTheTablesBackAsTheyWereBeforeTheImport) {
  Import("0000000001", NumberedMovements(3));
  std::vector<std::string> before = Tables();

  std::vector<Movement> second = NumberedMovements(2, "001", "0000000002");
  for (Movement& movement : second) {
    movement.number = "000000001" + movement.number.substr(9);  // after the first three
    movement.amount += 100;
  }
  second.push_back({"001", "0000000001", "0000000099", "000000000000000DOC99"});
  Import("0000000002", second, FinalBalanceEdit());
  ASSERT_NE(Tables(), before);

  json listed = Result("GetImportacoes", json::array());
  ASSERT_EQ(listed["rows"].size(), 2u);
  EXPECT_EQ(listed["rows"][0][6], "2") << "statements of the newest import";
  EXPECT_EQ(listed["rows"][0][9], "3") << "its movements";
  EXPECT_EQ(listed["rows"][1][9], "3");

  std::string newest = NewestImport();
  EXPECT_EQ(Result("DesfazImportacao", {newest}), json::parse(R"({"movements":3,"statements":1})"));
  EXPECT_EQ(Tables(), before) << "the second header gone, the first one's balance restored";
  EXPECT_EQ(Error("DesfazImportacao", {newest}), "A importação " + newest + " já foi desfeita.");
  EXPECT_FALSE(Result("GetImportacoes", json::array())["rows"][0][10].is_null());
}

TEST_P(HistoryMethodsTest, UndoIsRefusedOnceAMovementIsReconciled) {
  Import("0000000001", NumberedMovements(3));
  std::vector<std::string> before = Tables();
  Exec("UPDATE MOVREAL SET IDSTCONMVBAN = '1' WHERE NRSEQMOVREAL = '0000000002'");
  std::string newest = NewestImport();
  EXPECT_EQ(Error("DesfazImportacao", {newest}),
            "A importação " + newest +
                " não pode ser desfeita: 1 movimento(s) dela já não estão pendentes de "
                "conciliação.");
  EXPECT_EQ(Count("SELECT COUNT(*) FROM MOVREAL"), 3);
  EXPECT_EQ(Error("DesfazImportacao", {"999"}),
            "A importação 999 não existe (veja extrato importacoes).");
  EXPECT_EQ(Error("DesfazImportacao", {"1; DROP TABLE X"}),
            "Número de importação inválido: \"1; DROP TABLE X\".");
}

}  // namespace
}  // namespace server::testing
