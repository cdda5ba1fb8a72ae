#include "server/movement_copy.h"

#include <gtest/gtest.h>

#include "testing/test_database.h"

namespace server::testing {
namespace {

TEST(CopyValueTest, EscapesWhatWouldEndAColumnOrARowAndKeepsTheRest) {
  struct Case {
    host::FieldValue value;
    std::string column;
  };
  const std::vector<Case> cases = {
      {std::monostate{}, R"(\N)"},
      {std::string(R"(\N)"), R"(\\N)"},  // the text, not a null
      {std::string(""), ""},
      {std::string("A\tB"), R"(A\tB)"},
      {std::string("C:\\PASTA\\"), R"(C:\\PASTA\\)"},
      {std::string("LINHA 1\nLINHA 2\r"), R"(LINHA 1\nLINHA 2\r)"},
      {std::string("\\."), R"(\\.)"},
      {std::string("TRANSFERÊNCIA AÇÃO €"), "TRANSFERÊNCIA AÇÃO €"},
      {*host::Date::FromIso("2024-02-29"), "2024-02-29"},
      {-12.3, "-12.30"},
      {1234.5, "1234.50"},
  };
  for (const Case& c : cases) {
    std::string column;
    AppendCopyValue(column, c.value);
    EXPECT_EQ(column, c.column);
  }
}

class StoredTextTest : public ServiceTest {};
EXTRATO_ON_EVERY_DATABASE(StoredTextTest);

// Whatever way each database takes the rows, a history reads back byte for byte.
TEST_P(StoredTextTest, HistoriesAreStoredAsSubmitted) {
  const std::vector<std::string> histories = {"TAB\tNO MEIO",
                                              "BARRA \\ INVERTIDA",
                                              "QUEBRA\nDE LINHA",
                                              "RETORNO\r",
                                              "\\N",
                                              "\\.",
                                              "",
                                              "PAGTO AÇÃO Nº 5 €",
                                              "'ASPAS' \"E\"",
                                              "FIM\\"};
  host::Packet packet{MovementFields(), {}};
  std::vector<Movement> movements = NumberedMovements(static_cast<int>(histories.size()) + 1);
  for (std::size_t i = 0; i < movements.size(); ++i) {
    host::Row row = movements[i].ToRow();
    row[7] = i < histories.size() ? host::FieldValue(histories[i]) : std::monostate{};
    packet.rows.push_back(row);
  }
  EXPECT_EQ(Result("Set_Real_Bradesco", {host::ToJson(packet), nullptr}), json(true));

  soci::rowset<soci::row> stored = sql().prepare
                                   << "SELECT DSHISTMOVREAL FROM MOVREAL ORDER BY NRSEQMOVREAL";
  std::size_t i = 0;
  for (const soci::row& row : stored) {
    if (i < histories.size()) {
      ASSERT_EQ(row.get_indicator(0), soci::i_ok) << i;
      EXPECT_EQ(row.get<std::string>(0), histories[i]);
    } else {
      EXPECT_EQ(row.get_indicator(0), soci::i_null);
    }
    ++i;
  }
  EXPECT_EQ(i, movements.size());
}

}  // namespace
}  // namespace server::testing
