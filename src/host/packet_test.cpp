#include <gtest/gtest.h>

#include "host/exceptions.h"
#include "host/record_set.h"

namespace host {
namespace {

using nlohmann::json;

const json kFields = json::parse(R"([["CDREDUCONT","text",3],["DTMOVREAL","date",0],
                                     ["VRMOVREAL","float",0]])");

TEST(PacketTest, RoundTripKeepsTypesAndNulls) {
  Packet packet{{{"CDREDUCONT", FieldType::kText, 3},
                 {"DTMOVREAL", FieldType::kDate, 0},
                 {"VRMOVREAL", FieldType::kFloat, 0}},
                {{std::string("Açú"), Date(2024, 2, 29), -1234.56},
                 {std::monostate{}, std::monostate{}, std::monostate{}}}};
  json wire = ToJson(packet);
  EXPECT_EQ(json::parse(R"({"fields": [["CDREDUCONT","text",3],["DTMOVREAL","date",0],
                                       ["VRMOVREAL","float",0]],
                            "rows": [["Açú","2024-02-29",-1234.56], [null,null,null]]})"),
            wire);

  Packet back = PacketFromJson(json::parse(wire.dump()));
  ASSERT_EQ(3u, back.fields.size());
  EXPECT_EQ("DTMOVREAL", back.fields[1].name);
  EXPECT_EQ(FieldType::kDate, back.fields[1].type);
  EXPECT_EQ(3, back.fields[0].size);
  EXPECT_EQ(packet.rows, back.rows);
}

// The rows are written as text straight from the record set; what the server reads
// must be what the document of the same rows would have said.
TEST(PacketTest, WrittenPacketReadsAsItsDocument) {
  RecordSet rows("cdsTeste", {{"DSHISTMOVREAL", FieldType::kText, 60},
                              {"DTMOVREAL", FieldType::kDate, 0},
                              {"VRMOVREAL", FieldType::kFloat, 0}});
  rows.CreateDataSet();
  const std::vector<Row> values = {
      {std::string("ASPAS \" BARRA \\ FIM"), Date(2024, 2, 29), 0.1},
      {std::string("TAB\tLF\nCR\r\b\f\x01\x1f\x7f"), Date(1900, 1, 1), -1234.56},
      {std::string("AÇÃO € 𝄞"), std::monostate{}, 100.0},
      {std::string(""), Date(9999, 12, 31), 1e20},
      {std::monostate{}, Date(2000, 1, 1), 12.3 + 0.0000001},
  };
  for (const Row& row : values) {
    rows.Append();
    for (std::size_t i = 0; i < row.size(); ++i)
      rows.FieldByName(rows.FieldDefs()[i].name).SetValue(row[i]);
    rows.Post();
  }
  std::string text;
  WritePacket(rows, [&](std::string_view piece) { text += piece; });
  json written = json::parse(text);
  EXPECT_EQ(written, ToJson(rows.Data()));
  EXPECT_EQ(PacketFromJson(written).rows, values);
}

TEST(PacketTest, ChangeSetRoundTripKeepsEveryOperation) {
  json wire = {{"fields", kFields}, {"changes", json::parse(R"([
                  {"op": "delete", "old": ["001", "2024-01-31", 5]},
                  {"op": "modify", "old": ["002", null, 1.5], "new": ["002", "2024-02-01", 1.75]},
                  {"op": "insert", "new": ["003", "2024-02-02", null]}])")}};
  ChangeSet change_set = ChangeSetFromJson(wire);
  ASSERT_EQ(3u, change_set.changes.size());
  EXPECT_EQ(ChangeOp::kDelete, change_set.changes[0].op);
  EXPECT_EQ(Row({std::string("002"), std::monostate{}, 1.5}), change_set.changes[1].old_row);
  EXPECT_EQ(Row({std::string("003"), Date(2024, 2, 2), std::monostate{}}),
            change_set.changes[2].new_row);
  EXPECT_EQ(wire, ToJson(change_set));
}

TEST(PacketTest, MalformedPacketsAreRejected) {
  const std::vector<std::pair<const char*, const char*>> cases = {
      {"not an object", R"([])"},
      {"no rows", R"({"fields": []})"},
      {"rows not a list", R"({"fields": [], "rows": {}})"},
      {"field without size", R"({"fields": [["A","text"]], "rows": []})"},
      {"negative size", R"({"fields": [["A","text",-3]], "rows": []})"},
      {"huge size", R"({"fields": [["A","text",99999999999]], "rows": []})"},
      {"unknown type", R"({"fields": [["A","blob",0]], "rows": []})"},
      {"short row", R"({"fields": [["A","text",1],["B","text",1]], "rows": [["x"]]})"},
      {"impossible date", R"({"fields": [["D","date",0]], "rows": [["2023-02-29"]]})"},
      {"date in another form", R"({"fields": [["D","date",0]], "rows": [["29/02/2024"]]})"},
      {"amount as text", R"({"fields": [["V","float",0]], "rows": [["1.5"]]})"},
      {"text as number", R"({"fields": [["A","text",3]], "rows": [[1]]})"},
  };
  for (const auto& [name, text] : cases) {
    EXPECT_THROW(PacketFromJson(json::parse(text)), EConvertError) << name;
  }
}

TEST(PacketTest, MalformedChangeSetsAreRejected) {
  const std::vector<std::pair<const char*, json>> cases = {
      {"no changes", {{"fields", kFields}}},
      {"unknown op", {{"fields", kFields}, {"changes", {{{"op", "upsert"}}}}}},
      {"modify without old",
       {{"fields", kFields}, {"changes", {{{"op", "modify"}, {"new", {"001", nullptr, 1.0}}}}}}},
      {"insert with a bad value",
       {{"fields", kFields}, {"changes", {{{"op", "insert"}, {"new", {"001", "2024-13-01", 1}}}}}}},
  };
  for (const auto& [name, wire] : cases) {
    EXPECT_THROW(ChangeSetFromJson(wire), EConvertError) << name;
  }
  try {
    PacketFromJson(json::parse(R"({"fields": [["A","blob",0]], "rows": []})"));
    FAIL() << "tipo desconhecido aceito";
  } catch (const EConvertError& e) {
    EXPECT_STREQ("Tipo de campo desconhecido: 'blob'.", e.what());
  }
}

}  // namespace
}  // namespace host
