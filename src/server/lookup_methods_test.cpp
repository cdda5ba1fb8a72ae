#include <gtest/gtest.h>

#include "testing/test_database.h"

namespace server::testing {
namespace {

class LookupMethodsTest : public ServiceTest {};
EXTRATO_ON_EVERY_DATABASE(LookupMethodsTest);

json DirectoryChanges(host::ChangeOp op, const std::string& old_folder,
                      const std::string& new_folder) {
  using host::FieldType;
  host::ChangeSet changes{
      {{"CDPROGRAMA", FieldType::kText, 8}, {"DSDIRETORIO", FieldType::kText, 100}},
      {{op, {"QAR62700", old_folder}, {"QAR62700", new_folder}}}};
  return host::ToJson(changes);
}

TEST_P(LookupMethodsTest, RemembersTheFolderOfAScreen) {
  json empty = Result("GetDiretorio", {"QAR62700"});
  EXPECT_EQ(empty["fields"],
            json::parse(R"([["CDPROGRAMA","text",8],["DSDIRETORIO","text",100]])"));
  EXPECT_EQ(empty["rows"], json::array());

  Result("SetDiretorio", {DirectoryChanges(host::ChangeOp::kInsert, "", "/extratos/")});
  EXPECT_EQ(Result("GetDiretorio", {"QAR62700"})["rows"],
            json::parse(R"([["QAR62700","/extratos/"]])"));

  Result("SetDiretorio",
         {DirectoryChanges(host::ChangeOp::kModify, "/extratos/", "/extratos/2024/")});
  EXPECT_EQ(Result("GetDiretorio", {"QAR62700"})["rows"],
            json::parse(R"([["QAR62700","/extratos/2024/"]])"));
  EXPECT_EQ(Result("GetDiretorio", {"QAR99999"})["rows"], json::array());

  // Another client stored the folder after this one looked: its insert updates it.
  Result("SetDiretorio", {DirectoryChanges(host::ChangeOp::kInsert, "", "/outra/")});
  EXPECT_EQ(Result("GetDiretorio", {"QAR62700"})["rows"],
            json::parse(R"([["QAR62700","/outra/"]])"));
}

TEST_P(LookupMethodsTest, LayoutIsTheFirstElementAndEmptyWithoutARow) {
  Exec("INSERT INTO LAYOUTBANCO VALUES ('1', '341', '240')");
  EXPECT_EQ(Result("GetIdLayout", {"1", "341"}), json::array({"240"}));
  EXPECT_EQ(Result("GetIdLayout", {"2", "341"}), json::array({""}));
  EXPECT_EQ(Result("GetIdLayout", {"1", "237"}), json::array({""}));
}

TEST_P(LookupMethodsTest, MaskOfAKnownBankOnly) {
  AddBank("237", "237", "9999999-9");
  json mask = Result("GetMaskCont", {"237"});
  EXPECT_EQ(
      mask["fields"],
      json::parse(R"([["CDBANCO","text",3],["CDBANCCNAB","text",3],["CDPICTCONT","text",20]])"));
  EXPECT_EQ(mask["rows"], json::parse(R"([["237","237","9999999-9"]])"));
  EXPECT_EQ(Result("GetMaskCont", {"999"})["rows"], json::array());
}

TEST_P(LookupMethodsTest, AccountMatchesAllFourExactly) {
  AddAccount("001", "237", "3509", "00125668", "C");
  AddAccount("002", "237", "3509", "00125668", "L");
  EXPECT_EQ(Result("GetContCorr", {"237", "3509", "00125668", "C"})["rows"],
            json::parse(R"([["001"]])"));
  EXPECT_EQ(Result("GetContCorr", {"237", "3509", "00125668", "L"})["rows"],
            json::parse(R"([["002"]])"));
  EXPECT_EQ(Result("GetContCorr", {"237", "350", "00125668", "C"})["rows"], json::array());
  EXPECT_EQ(Result("GetContCorr", {"237", "3509", "0125668", "C"})["rows"], json::array());
  EXPECT_EQ(Result("GetContCorr", {"237", "3509", "00125668", "c"})["rows"], json::array());
  EXPECT_EQ(Result("GetContCorr", {"341", "3509", "00125668", "C"})["rows"], json::array());

  AddAccount("003", "237", "3509", "00125668", "C");
  EXPECT_EQ(Error("GetContCorr", {"237", "3509", "00125668", "C"}),
            "Mais de uma conta corrente corresponde aos dados informados.");
}

TEST_P(LookupMethodsTest, VerifiedAccountMatchesByPrefixOnlyAtAFinalPercent) {
  AddAccount("001", "341", "3886", "007693", "C");
  AddAccount("002", "341", "38_6", "00%693", "C");
  auto find = [&](std::string agency, std::string account, std::string type) {
    return Result("GetVerificaContCorr", {"341", agency, account, type})["rows"];
  };
  EXPECT_EQ(find("3886%", "007693%", "C%"), json::parse(R"([["001"]])"));
  EXPECT_EQ(find("388%", "0076%", "%"), json::parse(R"([["001"]])"));
  EXPECT_EQ(find("3886", "007693", "C"), json::parse(R"([["001"]])"));
  // "_" and "%" inside a text are themselves, not wildcards.
  EXPECT_EQ(find("38_6%", "00%6%", "C%"), json::parse(R"([["002"]])"));
  EXPECT_EQ(find("38_%", "00%693", "C"), json::parse(R"([["002"]])"));
  // Whole texts and letter case must match.
  EXPECT_EQ(find("388", "007693%", "C%"), json::array());
  EXPECT_EQ(find("3886%", "007693%", "c%"), json::array());
  EXPECT_EQ(Result("GetVerificaContCorr", {"34%", "3886%", "007693%", "C%"})["rows"],
            json::parse(R"([["001"]])"));

  EXPECT_EQ(Error("GetVerificaContCorr", {"341", "%", "00%", "C%"}),
            "Mais de uma conta corrente corresponde aos dados informados.");
}

}  // namespace
}  // namespace server::testing
