#include "server/request_reader.h"

#include <gtest/gtest.h>

#include "server/users.h"
#include "testing/test_database.h"

namespace server::testing {
namespace {

std::string SubmitBody(const std::string& packet) {
  return R"({"method": "Set_Real_Bradesco", "params": [)" + packet + ", null]}";
}

TEST(ReadCallTest, PacketRowsBecomeRowsAndLeaveTheDocument) {
  json packet = MovementPacket(NumberedMovements(3));
  Expected<Call> call = ReadCall(SubmitBody(packet.dump()));
  ASSERT_TRUE(call.ok()) << call.error();
  EXPECT_EQ(call.value().request["params"][0], json({{"fields", packet["fields"]}}));
  ASSERT_EQ(call.value().packets.size(), 1u);
  const Expected<host::PackedPacket>& rows = call.value().packets.at(0);
  ASSERT_TRUE(rows.ok()) << rows.error();
  EXPECT_EQ(host::ToJson(host::Unpack(rows.value())), packet);
}

// Another writer may put the rows first: they stay in the document, read as before.
TEST(ReadCallTest, RowsBeforeTheirFieldsStayInTheDocument) {
  json packet = MovementPacket(NumberedMovements(2));
  std::string body = SubmitBody(R"({"rows": )" + packet["rows"].dump() + R"(, "fields": )" +
                                packet["fields"].dump() + "}");
  Expected<Call> call = ReadCall(body);
  ASSERT_TRUE(call.ok());
  EXPECT_TRUE(call.value().packets.empty());
  EXPECT_EQ(call.value().request["params"][0], packet);
}

TEST(ReadCallTest, BodyThatIsNotJsonOrNestsTooDeepIsRefused) {
  EXPECT_EQ(ReadCall(R"({"method": "GetDiretorio", "params": [)").error(),
            "Requisição inválida: JSON malformado.");
  EXPECT_EQ(ReadCall(std::string(100, '[') + std::string(100, ']')).error(),
            "Requisição inválida: JSON aninhado demais.");
}

class AnswerCallTest : public ServiceTest {
 protected:
  // The body arrives in small pieces, an empty one among them, split anywhere.
  json Answer(const std::string& body) {
    BodyPieces pieces = {""};
    for (std::size_t at = 0; at < body.size(); at += 5)
      pieces.push_back(body.substr(at, 5));
    return json::parse(AnswerCall(service(), std::move(pieces), LocalCaller()).body);
  }
};
INSTANTIATE_TEST_SUITE_P(Sqlite, AnswerCallTest, ::testing::Values(Backend::kSqlite), BackendName);

// A row the packet's fields do not fit is told as the argument's fault, as before.
TEST_P(AnswerCallTest, RowThatDoesNotFitItsFieldsNamesTheArgument) {
  json packet = MovementPacket(NumberedMovements(2));
  json short_row = packet;
  short_row["rows"][1].erase(3);
  EXPECT_EQ(Answer(SubmitBody(short_row.dump()))["error"],
            "Argumento 1 de Set_Real_Bradesco (movimentos): Linha com número de valores "
            "diferente do número de campos.");
  json bad_date = packet;
  bad_date["rows"][0][4] = "ontem";
  EXPECT_EQ(Answer(SubmitBody(bad_date.dump()))["error"],
            "Argumento 1 de Set_Real_Bradesco (movimentos): Valor inválido para um campo do tipo "
            "date: \"ontem\".");
  json nested = packet;
  nested["rows"][0][4] = json::array({"2024-03-01"});
  EXPECT_EQ(Answer(SubmitBody(nested.dump()))["ok"], false);
  EXPECT_EQ(Answer(SubmitBody(packet.dump())), json({{"ok", true}, {"result", true}}));
  EXPECT_EQ(Count("SELECT COUNT(*) FROM MOVREAL"), 2);
}

}  // namespace
}  // namespace server::testing
