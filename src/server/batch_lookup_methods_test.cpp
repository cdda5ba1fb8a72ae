#include <gtest/gtest.h>

#include "testing/test_database.h"

namespace server::testing {
namespace {

class BatchLookupMethodsTest : public ServiceTest {
 protected:
  void StoreMovements(const std::vector<Movement>& movements) {
    ASSERT_EQ(Result("Set_Real_Bradesco", {MovementPacket(movements), nullptr}), true);
  }
};
EXTRATO_ON_EVERY_DATABASE(BatchLookupMethodsTest);

TEST_P(BatchLookupMethodsTest, EachAnswerIsWhatTheSingleLookupAnswersInTheOrderAsked) {
  StoreMovements({{"001", "0000000001", "0000000001", "DOC-1", "2024-03-01", 12.3},
                  {"001", "0000000001", "0000000002", "DOC-2", "2024-03-01", -7.05},
                  // The same movement in a second statement: both are answers.
                  {"001", "0000000002", "0000000001", "DOC-1", "2024-03-01", 12.3},
                  {"002", "0000000001", "0000000001", "DOC-1", "2024-03-01", 12.3}});
  json sets = json::array({
      {"001", "DOC-1", "2024-03-01", 12.3},
      {"001", "DOC-9", "2024-03-01", 12.3},
      {"001", "DOC-2", "2024-03-01", -7.05},
      {"001", "DOC-1", "2024-03-01", 12.300000001},
      {"001", "doc-1", "2024-03-01", 12.3},
      {"001", "DOC-1", "2024-03-02", 12.3},
      {"001", "DOC-1", "2024-03-01", 12.31},
      {"002", "DOC-1", "2024-03-01", 12.3},
      {"001", "DOC-1", "2024-03-01", 12.3},
  });
  json batch = Result("GetPesqLancLote", {sets});
  ASSERT_EQ(batch["answers"].size(), sets.size());
  for (std::size_t i = 0; i < sets.size(); ++i) {
    json single = Result("GetPesqLanc", sets[i]);
    EXPECT_EQ(batch["fields"], single["fields"]);
    EXPECT_EQ(batch["answers"][i], single["rows"]) << "set " << i + 1;
  }
  EXPECT_EQ(batch["answers"][0], json::parse(R"([["001", "2024-03-01", "DOC-1", 12.3],
                                                  ["001", "2024-03-01", "DOC-1", 12.3]])"));
}

TEST_P(BatchLookupMethodsTest, ManySetsAcrossChunksKeepTheirPlaces) {
  std::vector<Movement> stored = NumberedMovements(1200);
  StoreMovements(stored);
  // Every third set asks for a stored movement, the others for one a cent away.
  json sets = json::array();
  for (std::size_t i = 0; i < stored.size(); ++i) {
    const Movement& m = stored[i];
    sets.push_back({m.account, m.document, m.date, i % 3 == 0 ? m.amount : m.amount + 0.01});
  }
  json answers = Result("GetPesqLancLote", {sets})["answers"];
  ASSERT_EQ(answers.size(), stored.size());
  for (std::size_t i = 0; i < stored.size(); ++i) {
    json expected = json::array();
    if (i % 3 == 0)
      expected.push_back({"001", "2024-03-01", stored[i].document, stored[i].amount});
    ASSERT_EQ(answers[i], expected) << "set " << i + 1;
  }
  EXPECT_EQ(Result("GetPesqLancLote", {json::array()})["answers"], json::array());
}

TEST_P(BatchLookupMethodsTest, SetsAreCheckedAsTheSingleLookupChecksThem) {
  EXPECT_EQ(Error("GetPesqLancLote", {"001"}),
            "Argumento 1 de GetPesqLancLote (pesquisas de movimentos): deve ser uma lista.");
  EXPECT_EQ(
      Error("GetPesqLancLote", {json::array({{"001", "DOC", "2024-03-01", 1.0},
                                             {"001", std::string(21, 'D'), "2024-03-01", 1.0}})}),
      "Argumento 1 de GetPesqLancLote (pesquisas de movimentos): item 2: Argumento 2 de "
      "GetPesqLanc (número do documento): excede o tamanho máximo (20).");
  EXPECT_EQ(Error("GetPesqLancLote", {json::array({{"001", "DOC", "2024-02-30", 1.0}})}),
            "Argumento 1 de GetPesqLancLote (pesquisas de movimentos): item 1: Argumento 3 de "
            "GetPesqLanc (data do movimento): deve ser uma data no formato AAAA-MM-DD.");
  EXPECT_EQ(Error("GetPesqLancLote", {json::array({{"001", "DOC", "2024-03-01"}})}),
            "Argumento 1 de GetPesqLancLote (pesquisas de movimentos): item 1: GetPesqLanc "
            "espera 4 argumentos e recebeu 3.");
  json too_many = json::array();
  for (int i = 0; i < 10'001; ++i)
    too_many.push_back({"001", "DOC", "2024-03-01", 1.0});
  EXPECT_EQ(Error("GetPesqLancLote", {too_many}),
            "Argumento 1 de GetPesqLancLote (pesquisas de movimentos): excede o máximo de 10000 "
            "itens.");
}

}  // namespace
}  // namespace server::testing
