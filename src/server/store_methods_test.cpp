#include <gtest/gtest.h>

#include "testing/test_database.h"

namespace server::testing {
namespace {

class StoreMethodsTest : public ServiceTest {
 protected:
  json Submit(const std::vector<Movement>& movements, json header = nullptr) {
    return Result("Set_Real_Bradesco", {MovementPacket(movements), std::move(header)});
  }

  // Makes the database itself refuse a movement with this document, as a failing
  // disk or a broken constraint would, after the movements before it were written.
  void FailOnDocument(const std::string& document) {
    if (GetParam() == Backend::kSqlite) {
      Exec("CREATE TRIGGER MOVREAL_FALHA BEFORE INSERT ON MOVREAL WHEN NEW.NRDOCMOVREAL = '" +
           document + "' BEGIN SELECT RAISE(ABORT, 'falha simulada'); END");
    } else {
      Exec(
          "CREATE FUNCTION MOVREAL_FALHA() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN "
          "IF NEW.NRDOCMOVREAL = '" +
          document +
          "' THEN RAISE EXCEPTION 'falha simulada'; "
          "END IF; RETURN NEW; END $$");
      Exec(
          "CREATE TRIGGER MOVREAL_FALHA BEFORE INSERT ON MOVREAL "
          "FOR EACH ROW EXECUTE FUNCTION MOVREAL_FALHA()");
    }
  }

  int Movements() { return Count("SELECT COUNT(*) FROM MOVREAL"); }
  int Headers() { return Count("SELECT COUNT(*) FROM EXTRBANCO"); }
};
EXTRATO_ON_EVERY_DATABASE(StoreMethodsTest);

TEST_P(StoreMethodsTest, HeaderIsInsertedThenGetsItsFinalBalance) {
  host::Row header = NewHeader("001", "0000000001", "2024-03-01", 100.0);
  Result("SetExtrBanco", {HeaderInsert(header)});
  host::Row closed = header;
  closed[3] = *host::Date::FromIso("2024-03-31");
  closed[5] = 250.5;
  closed[7] = "D";
  Result(
      "SetExtrBanco",
      {host::ToJson(host::ChangeSet{HeaderFields(), {{host::ChangeOp::kModify, header, closed}}})});
  EXPECT_EQ(Result("GetExtrBanco", {"001", "2024-03-01"})["rows"], json::parse(R"([
      ["001", "0000000001", "2024-03-01", "2024-03-31", 100.0, 250.5, "C", "D"]])"));
}

TEST_P(StoreMethodsTest, HeaderChangeSetIsStoredWholeOrNotAtAll) {
  host::Row first = NewHeader("001", "0000000001", "2024-03-01", 1.0);
  host::Row second = NewHeader("001", "0000000002", "2024-03-02", 2.0);
  Result("SetExtrBanco", {HeaderInsert(second)});

  host::ChangeSet changes{
      HeaderFields(),
      {{host::ChangeOp::kInsert, {}, first}, {host::ChangeOp::kInsert, {}, second}}};
  EXPECT_EQ(Error("SetExtrBanco", {host::ToJson(changes)}),
            "O extrato 0000000002 da conta corrente 001 já está cadastrado.");

  host::Row missing = NewHeader("001", "0000000009", "2024-03-09", 9.0);
  changes.changes = {{host::ChangeOp::kInsert, {}, first},
                     {host::ChangeOp::kModify, missing, missing}};
  EXPECT_EQ(Error("SetExtrBanco", {host::ToJson(changes)}),
            "O extrato 0000000009 da conta corrente 001 não está cadastrado.");
  EXPECT_EQ(Headers(), 1);
}

TEST_P(StoreMethodsTest, ChangeSetThatDoesNotFitTheTableIsRefused) {
  host::Row header = NewHeader("001", "0000000001", "2024-03-01", 1.0);
  auto refused = [&](std::vector<host::FieldDef> fields, host::Row row) {
    return Error("SetExtrBanco",
                 {host::ToJson(host::ChangeSet{fields, {{host::ChangeOp::kInsert, {}, row}}})});
  };
  host::Row long_indicator = header;
  long_indicator[6] = "CD";
  EXPECT_EQ(refused(HeaderFields(), long_indicator),
            "Alteração 1: o campo IDEXTRINI excede o tamanho máximo (1).");
  host::Row empty_key = header;
  empty_key[1] = "";
  EXPECT_EQ(refused(HeaderFields(), empty_key),
            "Alteração 1: o campo CDSEQUEXTR faz parte da chave e não pode ficar vazio.");
  std::vector<host::FieldDef> unknown = HeaderFields();
  unknown[7].name = "XYZ";
  EXPECT_EQ(refused(unknown, header), "O campo XYZ não existe na tabela EXTRBANCO.");
  std::vector<host::FieldDef> keyless = {HeaderFields()[0]};
  EXPECT_EQ(refused(keyless, {"001"}), "Falta o campo CDSEQUEXTR, da chave da tabela EXTRBANCO.");
  EXPECT_EQ(Headers(), 0);
}

TEST_P(StoreMethodsTest, SubmissionStoresTheHeaderAndEveryMovement) {
  EXPECT_EQ(
      Submit(NumberedMovements(3), HeaderInsert(NewHeader("001", "0000000001", "2024-03-01", 5.0))),
      true);
  EXPECT_EQ(Movements(), 3);
  EXPECT_EQ(Headers(), 1);
  EXPECT_EQ(Count("SELECT COUNT(*) FROM LOGIMPEXTR WHERE NMMETODO = 'Set_Real_Bradesco' "
                  "AND CDREDUCONT = '001' AND QTMOVREAL = 3 AND IDIMPIGUAIS IS NULL"),
            1);
  // Amounts are kept to the cent.
  EXPECT_EQ(Submit({{"001", "0000000002", "0000000001", "DOC", "2024-03-02", 10.006}}), true);
  EXPECT_EQ(Result("GetPesqLanc", {"001", "DOC", "2024-03-02", 10.01})["rows"],
            json::parse(R"([["001", "2024-03-02", "DOC", 10.01]])"));
}

TEST_P(StoreMethodsTest, SubmissionWithAStoredMovementIsFalseAndStoresNothing) {
  EXPECT_EQ(Submit(NumberedMovements(2)), true);
  std::vector<Movement> again = NumberedMovements(3);
  EXPECT_EQ(Submit(again, HeaderInsert(NewHeader("001", "0000000001", "2024-03-01", 5.0))), false);
  EXPECT_EQ(Movements(), 2);
  EXPECT_EQ(Headers(), 0);
  EXPECT_EQ(Count("SELECT COUNT(*) FROM LOGIMPEXTR"), 1);
}

// The lookup's test (account, document, date, amount to the cent) decides, whatever
// statement or number the stored movement has.
TEST_P(StoreMethodsTest, MovementStoredUnderAnotherStatementRefusesThePacketWhole) {
  EXPECT_EQ(Submit(NumberedMovements(3)), true);
  std::vector<Movement> next = NumberedMovements(5, "001", "0000000002");
  EXPECT_EQ(Submit(next, HeaderInsert(NewHeader("001", "0000000002", "2024-03-01", 5.0))), false);
  EXPECT_EQ(Movements(), 3);
  EXPECT_EQ(Headers(), 0);

  std::vector<Movement> near_misses = {next[3], next[4], next[0], next[1], next[2]};
  near_misses[2].account = "002";
  near_misses[3].date = "2024-03-02";
  near_misses[4].amount += 0.01;
  EXPECT_EQ(Submit(near_misses), true);
  EXPECT_EQ(Movements(), 8);
}

TEST_P(StoreMethodsTest, EqualMovementsWithinOnePacketAreStored) {
  std::vector<Movement> movements = NumberedMovements(2);
  Movement twin = movements[1];
  twin.number = "0000000003";
  movements.push_back(twin);
  EXPECT_EQ(Submit(movements), true);
  EXPECT_EQ(Movements(), 3);
}

TEST_P(StoreMethodsTest, FebrabanStoresMovementsFoundStoredOnlyWhenTheUserAgreed) {
  EXPECT_EQ(Result("SetFebraban", {MovementPacket(NumberedMovements(1)), nullptr, false}), true);
  json again = MovementPacket(NumberedMovements(2, "001", "0000000002"));
  EXPECT_EQ(Result("SetFebraban", {again, nullptr, true}), false);
  EXPECT_EQ(Result("SetFebraban", {again, nullptr, true, false}), false);
  EXPECT_EQ(Movements(), 1);
  EXPECT_EQ(Result("SetFebraban", {again, nullptr, false, true}), true);
  EXPECT_EQ(Movements(), 3);
  EXPECT_EQ(Error("SetFebraban", {again, nullptr, false, true, 1}),
            "Argumento 5 de SetFebraban (contexto da importação): deve ser um objeto.");
  EXPECT_EQ(Error("SetFebraban", {again, nullptr, false, true, nullptr, 1}),
            "SetFebraban espera de 3 a 5 argumentos e recebeu 6.");
}

TEST_P(StoreMethodsTest, MovementRepeatedWithinThePacketIsFalse) {
  std::vector<Movement> movements = NumberedMovements(3);
  movements.push_back(movements[1]);
  EXPECT_EQ(Submit(movements), false);
  EXPECT_EQ(Movements(), 0);
}

TEST_P(StoreMethodsTest, SubmissionThatFailsHalfWayStoresNothing) {
  std::vector<Movement> movements = NumberedMovements(1200);
  movements[1100].document = "FALHA";
  FailOnDocument("FALHA");
  std::string error = Error(
      "Set_Real_Bradesco",
      {MovementPacket(movements), HeaderInsert(NewHeader("001", "0000000001", "2024-03-01", 5.0))});
  EXPECT_EQ(error.rfind("Falha no banco de dados em Set_Real_Bradesco: ", 0), 0u) << error;
  EXPECT_NE(error.find("falha simulada"), std::string::npos) << error;
  EXPECT_EQ(Movements(), 0);
  EXPECT_EQ(Headers(), 0);
  EXPECT_EQ(Count("SELECT COUNT(*) FROM LOGIMPEXTR"), 0);
}

TEST_P(StoreMethodsTest, MovementThatDoesNotFitIsRefusedByNumber) {
  std::vector<Movement> movements = NumberedMovements(2);
  host::Packet packet{MovementFields(), {movements[0].ToRow(), movements[1].ToRow()}};
  packet.rows[1][7] = std::string(41, 'H');
  EXPECT_EQ(Error("Set_Real_Bradesco", {host::ToJson(packet), nullptr}),
            "Movimento 2: o campo DSHISTMOVREAL excede o tamanho máximo (40).");
  packet.rows[1][7] = std::string("LIQUI\0DACAO", 11);
  EXPECT_EQ(Error("Set_Real_Bradesco", {host::ToJson(packet), nullptr}),
            "Movimento 2: o campo DSHISTMOVREAL contém um byte nulo (\\0), que não é gravado.");
  packet.rows[1][7] = "HISTÓRICO COM ACENTOS DE QUARENTA LETRAS";
  packet.rows[0][5] = 1e20;
  EXPECT_EQ(Error("Set_Real_Bradesco", {host::ToJson(packet), nullptr}),
            "Movimento 1: o valor 1e+20 do campo VRMOVREAL está fora do intervalo aceito.");
  EXPECT_EQ(Movements(), 0);
}

// PostgreSQL has no year 0 and SQLite would store it: both refuse it the same way.
TEST_P(StoreMethodsTest, YearZeroIsRefusedWithTheServersOwnMessage) {
  std::vector<Movement> movements = NumberedMovements(2);
  movements[1].date = "0000-03-01";
  EXPECT_EQ(Error("Set_Real_Bradesco", {MovementPacket(movements), nullptr}),
            "Movimento 2: a data 0000-03-01 do campo DTMOVREAL está fora do intervalo aceito.");
  EXPECT_EQ(Error("SetExtrBanco", {HeaderInsert(NewHeader("001", "0000000001", "0000-01-31", 1))}),
            "Alteração 1: a data 0000-01-31 do campo DTSALDINIC está fora do intervalo aceito.");
  EXPECT_EQ(Error("GetPesqLanc", {"001", "DOC", "0000-03-01", 1.0}),
            "Argumento 3 de GetPesqLanc (data do movimento): a data 0000-03-01 está fora do "
            "intervalo aceito.");
  EXPECT_EQ(Error("GetExtrBanco", {"001", "0000-12-31"}),
            "Argumento 2 de GetExtrBanco (data do saldo inicial): a data 0000-12-31 está fora do "
            "intervalo aceito.");
  EXPECT_EQ(Movements(), 0);
  EXPECT_EQ(Headers(), 0);
  EXPECT_EQ(Submit({{"001", "0000000001", "0000000001", "DOC", "0001-01-01", 1.0}}), true);
}

TEST_P(StoreMethodsTest, FebrabanSubmissionKeepsItsAnswerInTheLog) {
  std::vector<Movement> movements = NumberedMovements(2);
  movements.push_back({"002", "0000000001", "0000000001"});
  EXPECT_EQ(Result("SetFebraban", {MovementPacket(movements), nullptr, true}), true);
  EXPECT_EQ(Count("SELECT COUNT(*) FROM LOGIMPEXTR WHERE NMMETODO = 'SetFebraban' "
                  "AND IDIMPIGUAIS = 'S' AND ((CDREDUCONT = '001' AND QTMOVREAL = 2) "
                  "OR (CDREDUCONT = '002' AND QTMOVREAL = 1))"),
            2);
  EXPECT_EQ(Result("SetFebraban", {MovementPacket({}), nullptr, false}), true);
  EXPECT_EQ(Result("SetFebraban", {json::parse(R"({"fields": [], "rows": []})"), nullptr, false}),
            true);
  EXPECT_EQ(Count("SELECT COUNT(*) FROM LOGIMPEXTR"), 2);
}

}  // namespace
}  // namespace server::testing
