#include "host/record_set.h"

#include <gtest/gtest.h>

#include "host/exceptions.h"
#include "host/field_value.h"

namespace host {
namespace {

std::vector<FieldDef> MovementFields() {
  return {{"CDREDUCONT", FieldType::kText, 3},
          {"DTMOVREAL", FieldType::kDate, 0},
          {"VRMOVREAL", FieldType::kFloat, 0},
          {"DSHISTMOVREAL", FieldType::kText, 10}};
}

std::string RowText(const Row& row) {
  std::string text;
  for (const auto& value : row) {
    if (!text.empty())
      text += ",";
    text += std::holds_alternative<std::monostate>(value) ? "null" : ValueText(value);
  }
  return text;
}

class ChangePrinter : public ChangeSet::Handler {
 public:
  void Insert(const Row& new_row) override { out += "insert(" + RowText(new_row) + ")"; }
  void Modify(const Row& old_row, const Row& new_row) override {
    out += "modify(" + RowText(old_row) + "->" + RowText(new_row) + ")";
  }
  void Delete(const Row& old_row) override { out += "delete(" + RowText(old_row) + ")"; }
  std::string out;
};

// The pending changes as text, checked against their count as the screen reads both.
std::string PrintChanges(const RecordSet& record_set) {
  ChangeSet delta = record_set.Delta();
  EXPECT_EQ(static_cast<int>(delta.changes.size()), record_set.ChangeCount());
  ChangePrinter printer;
  delta.Iterate(printer);
  return printer.out;
}

class RecordSetTest : public ::testing::Test {
 protected:
  RecordSetTest() : movs_("cdsMovReal", MovementFields()) { movs_.CreateDataSet(); }

  void AppendRow(RecordSet& record_set, std::string_view code, std::string_view history,
                 double amount = 1.0) {
    record_set.Append();
    record_set.FieldByName("CDREDUCONT").SetAsString(code);
    record_set.FieldByName("DTMOVREAL").SetAsDateTime(Date(2024, 3, 1));
    record_set.FieldByName("VRMOVREAL").SetAsFloat(amount);
    record_set.FieldByName("DSHISTMOVREAL").SetAsString(history);
    record_set.Post();
  }

  // Two rows as the server would send them: the change log starts empty.
  void LoadTwoRows() {
    Packet packet{MovementFields(),
                  {{std::string("001"), Date(2024, 3, 1), 10.0, std::string("TARIFA")},
                   {std::string("002"), std::monostate{}, 20.5, std::monostate{}}}};
    movs_.LoadPacket(packet);
  }

  std::string Code() { return movs_.FieldByName("CDREDUCONT").AsString(); }

  // The code of the row a search moved to, or "-" when it found none.
  std::string Found(std::string_view keys, const std::vector<FieldValue>& values) {
    return movs_.Locate(keys, values) ? Code() : "-";
  }

  std::string Column(std::string_view field) {
    std::string text;
    for (movs_.First(); !movs_.Eof(); movs_.Next())
      text += movs_.FieldByName(field).AsString() + " ";
    return text;
  }

  RecordSet movs_;
};

TEST_F(RecordSetTest, ChangeLogKeepsOneEntryPerRowSinceTheMerge) {
  AppendRow(movs_, "001", "PIX");
  movs_.Edit();
  movs_.FieldByName("VRMOVREAL").SetAsFloat(2.5);
  movs_.Post();
  EXPECT_EQ("insert(001,2024-03-01,2.5,PIX)", PrintChanges(movs_));

  movs_.MergeChangeLog();
  EXPECT_EQ("", PrintChanges(movs_));

  movs_.Edit();
  movs_.FieldByName("DSHISTMOVREAL").SetAsString("TED");
  movs_.Post();
  movs_.Edit();
  movs_.FieldByName("VRMOVREAL").SetAsFloat(3.0);
  movs_.Post();
  EXPECT_EQ("modify(001,2024-03-01,2.5,PIX->001,2024-03-01,3,TED)", PrintChanges(movs_));

  // Restoring the merged values leaves nothing to send.
  movs_.Edit();
  movs_.FieldByName("DSHISTMOVREAL").SetAsString("PIX");
  movs_.FieldByName("VRMOVREAL").SetAsFloat(2.5);
  movs_.Post();
  EXPECT_EQ("", PrintChanges(movs_));
}

TEST_F(RecordSetTest, DeletionsLogTheMergedValues) {
  LoadTwoRows();
  EXPECT_EQ("", PrintChanges(movs_));
  movs_.Edit();
  movs_.FieldByName("VRMOVREAL").SetAsFloat(99);
  movs_.Post();
  movs_.Delete();
  AppendRow(movs_, "003", "NOVO");
  movs_.Delete();  // inserted and deleted before a merge: nothing to send
  EXPECT_EQ("delete(001,2024-03-01,10,TARIFA)", PrintChanges(movs_));
  EXPECT_EQ("002 ", Column("CDREDUCONT"));

  AppendRow(movs_, "004", "NOVO");  // inserted rows empty without trace
  movs_.EmptyDataSet();
  EXPECT_EQ("delete(001,2024-03-01,10,TARIFA)delete(002,null,20.5,null)", PrintChanges(movs_));
  EXPECT_TRUE(movs_.Data().rows.empty());
  EXPECT_TRUE(movs_.IsEmpty());
}

// The header saves itself after each post and merges only when the save worked.
TEST_F(RecordSetTest, HeaderSavesOnlyItsOwnChangeAndKeepsItWhenTheSaveFails) {
  std::vector<std::string> sent;
  bool server_fails = false;
  movs_.BeforePost = [](RecordSet& rs) {
    if (rs.FieldByName("DSHISTMOVREAL").AsString().empty())
      rs.FieldByName("DSHISTMOVREAL").Clear();
  };
  movs_.AfterPost = [&](RecordSet& rs) {
    if (rs.ChangeCount() <= 0)
      return;
    if (server_fails)
      throw Exception("Servidor fora do ar.");
    sent.push_back(PrintChanges(rs));
    rs.MergeChangeLog();
  };

  AppendRow(movs_, "001", "");
  movs_.Edit();
  movs_.FieldByName("VRMOVREAL").SetAsFloat(7.25);
  movs_.Post();
  movs_.Edit();
  movs_.FieldByName("VRMOVREAL").SetAsFloat(7.25);
  movs_.Post();  // no change: nothing sent
  EXPECT_EQ((std::vector<std::string>{"insert(001,2024-03-01,1,null)",
                                      "modify(001,2024-03-01,1,null->001,2024-03-01,7.25,null)"}),
            sent);

  server_fails = true;
  movs_.Edit();
  movs_.FieldByName("VRMOVREAL").SetAsFloat(8);
  EXPECT_THROW(movs_.Post(), Exception);
  EXPECT_EQ(RecordSet::State::kBrowse, movs_.GetState());
  EXPECT_EQ(8.0, movs_.FieldByName("VRMOVREAL").AsFloat());
  EXPECT_EQ("modify(001,2024-03-01,7.25,null->001,2024-03-01,8,null)", PrintChanges(movs_));
}

TEST_F(RecordSetTest, FailedBeforePostKeepsTheBuffer) {
  movs_.BeforePost = [](RecordSet&) { throw Exception("Campo obrigatório."); };
  movs_.Append();
  movs_.FieldByName("CDREDUCONT").SetAsString("001");
  EXPECT_THROW(movs_.Post(), Exception);
  EXPECT_EQ(RecordSet::State::kInsert, movs_.GetState());
  EXPECT_EQ("001", Code());
  EXPECT_EQ(0, movs_.ChangeCount());
}

TEST_F(RecordSetTest, CancelRestoresTheCurrentRow) {
  LoadTwoRows();
  movs_.Last();
  movs_.Append();
  movs_.FieldByName("CDREDUCONT").SetAsString("009");
  movs_.Cancel();
  EXPECT_EQ("002", Code());
  movs_.Edit();
  movs_.FieldByName("CDREDUCONT").SetAsString("009");
  movs_.Cancel();
  EXPECT_EQ("002", Code());
  EXPECT_EQ(2, movs_.RecordCount());
  EXPECT_EQ(0, movs_.ChangeCount());
}

TEST_F(RecordSetTest, MisuseGivesClearErrors) {
  auto message = [](auto&& action) {
    try {
      action();
    } catch (const Exception& e) {
      return std::string(e.what());
    }
    return std::string("nenhum erro");
  };
  EXPECT_EQ("Registro de 'cdsMovReal' não está em modo de edição ou inserção.",
            message([&] { movs_.FieldByName("CDREDUCONT").SetAsString("001"); }));
  EXPECT_EQ("Não há registro para editar em 'cdsMovReal'.", message([&] { movs_.Edit(); }));
  EXPECT_EQ("Não há registro para excluir em 'cdsMovReal'.", message([&] { movs_.Delete(); }));
  EXPECT_EQ("Campo 'NRDOC' não encontrado em 'cdsMovReal'.",
            message([&] { movs_.FieldByName("NRDOC"); }));
  movs_.Append();
  EXPECT_EQ("Há um registro em edição ou inserção em 'cdsMovReal': grave-o ou cancele-o antes.",
            message([&] { movs_.First(); }));
  movs_.Cancel();
  movs_.Close();
  EXPECT_EQ("'cdsMovReal' não está aberto.", message([&] { movs_.Append(); }));
  EXPECT_TRUE(movs_.IsEmpty());
  EXPECT_EQ(0, movs_.RecordCount());
  EXPECT_TRUE(movs_.FieldByName("CDREDUCONT").IsNull());
}

TEST_F(RecordSetTest, FieldsConvertAndCutToSize) {
  movs_.Append();
  Field code = movs_.FieldByName("cdreducont");  // names ignore letter case
  Field date = movs_.FieldByName("DTMOVREAL");
  Field amount = movs_.FieldByName("VRMOVREAL");
  Field history = movs_.FieldByName("DSHISTMOVREAL");
  EXPECT_EQ("", code.AsString());
  EXPECT_EQ(0.0, amount.AsFloat());
  EXPECT_EQ(Date(), date.AsDateTime());

  history.SetAsString("Transferência recebida");  // cut by characters, not bytes
  EXPECT_EQ("Transferên", history.AsString());
  code.SetAsFloat(12.5);
  EXPECT_EQ("12.", code.AsString());
  date.SetAsString("2024-02-29");
  EXPECT_EQ(Date(2024, 2, 29), date.AsDateTime());
  amount.SetAsString(" 1234.56 ");
  EXPECT_EQ(1234.56, amount.AsFloat());
  amount.SetAsString("");
  EXPECT_TRUE(amount.IsNull());

  EXPECT_THROW(date.SetAsString("29/02/2024"), EConvertError);
  EXPECT_THROW(amount.SetAsFloat(std::nan("")), EConvertError);
  EXPECT_THROW(date.SetAsFloat(1.0), EConvertError);
  try {
    amount.SetAsString("12,50");
    FAIL() << "12,50 aceito";
  } catch (const EConvertError& e) {
    EXPECT_STREQ("'12,50' não é um número válido para o campo 'VRMOVREAL'.", e.what());
  }
  code.SetAsString("abc");
  EXPECT_THROW(code.AsFloat(), EConvertError);
}

TEST_F(RecordSetTest, LocateIgnoresLetterCaseAndComparesAmountsToTheCent) {
  AppendRow(movs_, "001", "Depósito", 10.0);
  AppendRow(movs_, "002", "Tarifa", 0.3);
  AppendRow(movs_, "003", "Transação", 5.0);
  const std::string keys = "CDREDUCONT; VRMOVREAL;DTMOVREAL";
  const Date day(2024, 3, 1);

  EXPECT_EQ("001", Found("DSHISTMOVREAL", {std::string("DEPÓSITO")}));
  EXPECT_EQ("003", Found("dshistmovreal", {std::string("TRANSAÇÃO")}));
  EXPECT_EQ("002", Found(keys, {std::string("002"), 0.1 + 0.2, day}));
  EXPECT_EQ("002",
            Found(keys, {std::string("002"), std::string("0.30"), std::string("2024-03-01")}));

  EXPECT_EQ("-", Found("DSHISTMOVREAL", {std::string("Tarifas")}));
  EXPECT_EQ("-", Found(keys, {std::string("002"), 0.31, day}));
  EXPECT_EQ("-", Found(keys, {std::string("002"), 0.3, Date(2024, 3, 2)}));
  EXPECT_EQ("002", Code());  // a miss stays where it was

  EXPECT_THROW(movs_.Locate(keys, {std::string("002")}), Exception);
  EXPECT_THROW(movs_.Locate("CDREDUCONT;NRDOC", {std::string("002"), std::string("1")}), Exception);
  EXPECT_THROW(movs_.Locate("VRMOVREAL", {std::string("dez")}), EConvertError);
}

// Searches repeated on the same fields reuse what they learnt; every change must show.
TEST_F(RecordSetTest, LocateSeesTheRowsAsTheyAreNow) {
  AppendRow(movs_, "001", "Depósito", 10.0);
  AppendRow(movs_, "002", "Tarifa", 0.3);
  AppendRow(movs_, "003", "Transação", 5.0);
  const std::string keys = "CDREDUCONT;VRMOVREAL";
  EXPECT_EQ("002", Found(keys, {std::string("002"), 0.3}));

  movs_.Edit();
  movs_.FieldByName("VRMOVREAL").SetAsFloat(0.5);
  movs_.Post();
  EXPECT_EQ("-", Found(keys, {std::string("002"), 0.3}));
  movs_.First();
  movs_.Delete();
  AppendRow(movs_, "004", "Depósito", 10.0);
  EXPECT_EQ("002", Found(keys, {std::string("002"), 0.5}));
  EXPECT_EQ("004", Found(keys, {std::string("004"), 10.0}));

  EXPECT_EQ("004", Found("DSHISTMOVREAL", {std::string("depósito")}));
  movs_.EmptyDataSet();
  AppendRow(movs_, "005", "Depósito");
  AppendRow(movs_, "006", "Outro");
  AppendRow(movs_, "007", "Outro");
  EXPECT_EQ("005", Found("DSHISTMOVREAL", {std::string("depósito")}));
  LoadTwoRows();
  EXPECT_EQ("001", Found("DSHISTMOVREAL", {std::string("tarifa")}));
}

TEST_F(RecordSetTest, FilterShowsMatchingRowsInInsertionOrder) {
  AppendRow(movs_, "001", "D'Ávila");
  AppendRow(movs_, "002", "D'Ávila");
  AppendRow(movs_, "001", "Outro");
  AppendRow(movs_, "001", "D'Ávila", 2.0);

  movs_.SetFilter("CDREDUCONT = '001' and DSHISTMOVREAL='D''Ávila'");
  EXPECT_EQ(4, movs_.RecordCount());  // set, not yet on
  movs_.SetFiltered(true);
  EXPECT_EQ(2, movs_.RecordCount());
  EXPECT_EQ("1 2 ", Column("VRMOVREAL"));
  movs_.Last();
  EXPECT_EQ(2.0, movs_.FieldByName("VRMOVREAL").AsFloat());
  EXPECT_FALSE(movs_.Locate("CDREDUCONT", {std::string("002")}));

  movs_.SetFilter("CDREDUCONT = '002'");  // re-applied at once
  EXPECT_EQ("002 ", Column("CDREDUCONT"));
  movs_.SetFilter("CDREDUCONT = '009'");
  EXPECT_TRUE(movs_.IsEmpty());
  EXPECT_TRUE(movs_.Eof());

  movs_.SetFiltered(false);
  EXPECT_EQ("001 002 001 001 ", Column("CDREDUCONT"));
  EXPECT_EQ(4u, movs_.Data().rows.size());
}

TEST_F(RecordSetTest, BadFilterKeepsThePreviousOne) {
  AppendRow(movs_, "001", "A");
  AppendRow(movs_, "002", "B");
  movs_.SetFilter("CDREDUCONT = '002'");
  movs_.SetFiltered(true);
  EXPECT_THROW(movs_.SetFilter("CDREDUCONT = '001"), Exception);
  EXPECT_THROW(movs_.SetFilter("NRDOC = '001'"), Exception);
  EXPECT_EQ("CDREDUCONT = '002'", movs_.Filter());
  EXPECT_EQ("002 ", Column("CDREDUCONT"));
}

TEST_F(RecordSetTest, PacketFieldsAreMatchedByName) {
  Packet packet{{{"VRMOVREAL", FieldType::kFloat, 0},
                 {"EXTRA", FieldType::kText, 5},
                 {"DSHISTMOVREAL", FieldType::kText, 40},
                 {"DTMOVREAL", FieldType::kDate, 0},
                 {"CDREDUCONT", FieldType::kText, 3}},
                {{1.5, std::string("x"), std::string("Pagamento de título"), Date(2024, 1, 2),
                  std::string("001")}}};
  movs_.LoadPacket(packet);
  EXPECT_EQ("001,2024-01-02,1.5,Pagamento ", RowText(movs_.Data().rows.at(0)));
  EXPECT_EQ(0, movs_.ChangeCount());

  Packet missing{{{"CDREDUCONT", FieldType::kText, 3}}, {}};
  EXPECT_THROW(movs_.LoadPacket(missing), EConvertError);
  packet.fields[0].type = FieldType::kText;
  EXPECT_THROW(movs_.LoadPacket(packet), EConvertError);
  packet.fields[0].type = FieldType::kFloat;
  packet.rows[0].pop_back();
  EXPECT_THROW(movs_.LoadPacket(packet), EConvertError);
  EXPECT_EQ(1, movs_.RecordCount());  // the failed loads changed nothing
}

TEST_F(RecordSetTest, DeleteMovesToTheNextVisibleRow) {
  AppendRow(movs_, "001", "A");
  AppendRow(movs_, "002", "B");
  AppendRow(movs_, "003", "C");
  movs_.First();
  movs_.Delete();
  EXPECT_EQ("002", Code());
  movs_.Last();
  movs_.Delete();
  EXPECT_EQ("002", Code());
  movs_.Delete();
  EXPECT_TRUE(movs_.Eof());
  EXPECT_TRUE(movs_.IsEmpty());
}

}  // namespace
}  // namespace host
