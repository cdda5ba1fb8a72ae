#include <gtest/gtest.h>

#include "testing/test_database.h"

namespace server::testing {
namespace {

class StatementMethodsTest : public ServiceTest {
 protected:
  void StoreHeader(const std::string& account, const std::string& code, const std::string& date) {
    Result("SetExtrBanco", {HeaderInsert(NewHeader(account, code, date, 100.0))});
  }
  void StoreMovements(const std::vector<Movement>& movements) {
    EXPECT_EQ(Result("Set_Real_Bradesco", {MovementPacket(movements), nullptr}), true);
  }
};
EXTRATO_ON_EVERY_DATABASE(StatementMethodsTest);

TEST_P(StatementMethodsTest, NextSequenceCodeIsInTheNormalEnvelope) {
  EXPECT_EQ(Call("GetPrxMovReal", {"001", 1}),
            json::parse(R"({"ok": true, "result": "0000000001"})"));
}

TEST_P(StatementMethodsTest, NextSequenceCodeFollowsHeadersAndMovementsOfTheAccount) {
  StoreHeader("001", "0000000007", "2024-03-01");
  EXPECT_EQ(Result("GetPrxMovReal", {"001", 1}), "0000000008");

  // A movement stored under a code that has no header counts too.
  StoreMovements({{"001", "0000000012", "0000000001"}});
  EXPECT_EQ(Result("GetPrxMovReal", {"001", 1}), "0000000013");

  // Codes are read as numbers, not compared as texts; other accounts do not count.
  StoreHeader("001", "99", "2024-03-02");
  StoreHeader("001", "ABC", "2024-03-03");
  StoreHeader("002", "0000000500", "2024-03-01");
  EXPECT_EQ(Result("GetPrxMovReal", {"001", 1}), "0000000100");
}

TEST_P(StatementMethodsTest, NoSequenceCodeAfterTheLargest) {
  StoreHeader("001", "9999999999", "2024-03-01");
  EXPECT_EQ(Error("GetPrxMovReal", {"001", 1}),
            "A conta corrente 001 não tem mais códigos de extrato livres (o último é 9999999999).");
}

TEST_P(StatementMethodsTest, HeadersOfAnAccountAtADateInCodeOrder) {
  StoreHeader("001", "0000000002", "2024-03-01");
  StoreHeader("001", "0000000001", "2024-03-01");
  StoreHeader("001", "0000000003", "2024-03-02");
  StoreHeader("002", "0000000004", "2024-03-01");
  json headers = Result("GetExtrBanco", {"001", "2024-03-01"});
  EXPECT_EQ(headers["fields"], host::ToJson(host::Packet{HeaderFields(), {}})["fields"]);
  EXPECT_EQ(headers["rows"], json::parse(R"([
      ["001", "0000000001", "2024-03-01", null, 100.0, null, "C", null],
      ["001", "0000000002", "2024-03-01", null, 100.0, null, "C", null]])"));
  EXPECT_EQ(Result("GetExtrBanco", {"001", "2024-02-29"})["rows"], json::array());
}

TEST_P(StatementMethodsTest, LastMovementNumberOfAStatement) {
  auto sequence = [&](const std::string& code) { return Result("GetSequencia", {"001", code}); };
  EXPECT_EQ(sequence("0000000001"), json::parse(R"({"fields": [["NRSEQMOV","text",10]],
                                                     "rows": [["0000000000"]]})"));
  StoreMovements({{"001", "0000000001", "0000000009"},
                  {"001", "0000000001", "0000000010"},
                  {"001", "0000000002", "0000000077"},
                  {"002", "0000000001", "0000000088"}});
  EXPECT_EQ(sequence("0000000001")["rows"], json::parse(R"([["0000000010"]])"));
  EXPECT_EQ(sequence("0000000002")["rows"], json::parse(R"([["0000000077"]])"));
}

TEST_P(StatementMethodsTest, StoredMovementIsFoundByAccountDocumentDateAndCent) {
  StoreMovements({{"001", "0000000001", "0000000001", "DOC-1", "2024-03-01", 12.3},
                  {"001", "0000000001", "0000000002", "DOC-2", "2024-03-01", -7.05}});
  auto find = [&](const std::string& account, const std::string& document, const std::string& date,
                  double amount) {
    return Result("GetPesqLanc", {account, document, date, amount})["rows"];
  };
  json found = json::parse(R"([["001", "2024-03-01", "DOC-1", 12.3]])");
  EXPECT_EQ(find("001", "DOC-1", "2024-03-01", 12.3), found);
  EXPECT_EQ(find("001", "DOC-1", "2024-03-01", 12.300000001), found);
  EXPECT_EQ(find("001", "DOC-2", "2024-03-01", -7.05),
            json::parse(R"([["001", "2024-03-01", "DOC-2", -7.05]])"));
  EXPECT_EQ(find("001", "DOC-1", "2024-03-01", 12.31), json::array());
  EXPECT_EQ(find("001", "doc-1", "2024-03-01", 12.3), json::array());
  EXPECT_EQ(find("001", "DOC-1", "2024-03-02", 12.3), json::array());
  EXPECT_EQ(find("002", "DOC-1", "2024-03-01", 12.3), json::array());
}

}  // namespace
}  // namespace server::testing
