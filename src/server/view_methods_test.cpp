#include <gtest/gtest.h>

#include "testing/test_database.h"

namespace server::testing {
namespace {

class ViewMethodsTest : public ServiceTest {
 protected:
  void SetUp() override {
    ServiceTest::SetUp();
    if (IsSkipped())
      return;
    AddBank("237", "237", "9999999-9");
    AddAccount("001", "237", "3509", "00125668", "C");
    AddAccount("002", "237", "3509", "00125669", "C");
    // Statement 1: movement 3 shares movement 1's day, so the listing puts it second.
    AddStatement("001", "0000000001", "2024-03-01", "2024-03-05", "100.00, 'C', 120.00, 'C'");
    AddMovement("001", "0000000001", "0000000001", "2024-03-01", "50.00, 'C', 'PIX RECEBIDO'");
    AddMovement("001", "0000000001", "0000000002", "2024-03-03", "20.00, 'D', 'TARIFA AÇÃO'");
    AddMovement("001", "0000000001", "0000000003", "2024-03-01", "10.00, 'D', 'SAQUE'");
    // Statement 2 opens overdrawn.
    AddStatement("001", "0000000002", "2024-03-10", "2024-03-12", "10.00, 'D', 5.00, 'C'");
    AddMovement("001", "0000000002", "0000000001", "2024-03-11", "15.00, 'C', 'DEPOSITO'");
    AddStatement("002", "0000000001", "2024-03-01", "2024-03-31", "1.00, 'C', 1.00, 'C'");
    AddMovement("002", "0000000001", "0000000001", "2024-03-02", "7.00, 'C', 'OUTRA CONTA'");
  }

  void AddStatement(const std::string& account, const std::string& code, const std::string& from,
                    const std::string& to, const std::string& balances) {
    Exec(fmt::format(
        "INSERT INTO EXTRBANCO (CDREDUCONT, CDSEQUEXTR, DTSALDINIC, DTSALDFIN, VRSALDINIC, "
        "IDEXTRINI, VRSALDFIM, IDEXTRFIM) VALUES ('{}', '{}', '{}', '{}', {})",
        account, code, from, to, balances));
  }

  // `amount` holds the amount, the indicator and the history.
  void AddMovement(const std::string& account, const std::string& statement,
                   const std::string& number, const std::string& date, const std::string& amount) {
    Exec(fmt::format(
        "INSERT INTO MOVREAL (CDREDUCONT, CDSEQUEXTR, NRSEQMOVREAL, NRDOCMOVREAL, DTMOVREAL, "
        "VRMOVREAL, IDMOVREAL, DSHISTMOVREAL, IDTIPOREGI, CDCATELANC, IDSTCONMVBAN, "
        "IDTPMOVREAL) VALUES ('{}', '{}', '{}', 'DOC{}', '{}', {}, '1', '100', '0', '0')",
        account, statement, number, number.substr(8), date, amount));
  }

  // "statement/number=balance" for each movement of every page, and the pages' sizes.
  std::string ListAll(const std::string& statement, const std::string& from, const std::string& to,
                      int page_size) {
    std::string listed;
    json position = "";
    do {
      json page = Result("GetMovimentosConta", {"001", statement, from, to, position, page_size});
      const json& rows = page["movements"]["rows"];
      listed += fmt::format("[{}]", rows.size());
      for (const json& row : rows)
        listed += fmt::format(" {}/{}={}", row[0].get<std::string>().substr(9),
                              row[1].get<std::string>().substr(9), row[8].dump());
      position = page["next"];
    } while (!position.is_null());
    return listed;
  }
};
EXTRATO_ON_EVERY_DATABASE(ViewMethodsTest);

TEST_P(ViewMethodsTest, StatementsMeetingThePeriodWithTheirMovementsSummed) {
  json listed = Result("GetExtratosConta", {"001", "2024-03-04", "2024-03-10"});
  EXPECT_EQ(listed["rows"], json::parse(R"([
      ["0000000001", "2024-03-01", "2024-03-05", 100.0, "C", 120.0, "C", "3", 50.0, 30.0],
      ["0000000002", "2024-03-10", "2024-03-12", 10.0, "D", 5.0, "C", "1", 15.0, 0.0]])"));
  EXPECT_EQ(Result("GetExtratosConta", {"001", "2024-03-06", "2024-03-09"})["rows"], json::array());
  EXPECT_EQ(Result("GetExtratosConta", {"003", "0001-01-01", "9999-12-31"})["rows"], json::array());
}

TEST_P(ViewMethodsTest, MovementsByDateThenNumberWithTheStatementBalanceAfterEach) {
  json page = Result("GetMovimentosConta", {"001", "", "0001-01-01", "9999-12-31", "", 10});
  EXPECT_TRUE(page["next"].is_null());
  EXPECT_EQ(page["movements"]["rows"][1], json::parse(R"(
      ["0000000001", "0000000003", "2024-03-01", "DOC03", "SAQUE", 10.0, "D", "0", 140.0])"));
  EXPECT_EQ(page["movements"]["rows"][2][4], "TARIFA AÇÃO");

  EXPECT_EQ(ListAll("", "0001-01-01", "9999-12-31", 10),
            "[4] 1/1=150.0 1/3=140.0 1/2=120.0 2/1=5.0");
  EXPECT_EQ(ListAll("", "0001-01-01", "9999-12-31", 1),
            "[1] 1/1=150.0[1] 1/3=140.0[1] 1/2=120.0[1] 2/1=5.0");
  EXPECT_EQ(ListAll("", "0001-01-01", "9999-12-31", 2),
            "[2] 1/1=150.0 1/3=140.0[2] 1/2=120.0 2/1=5.0")
      << "a full last page ends the listing";
  EXPECT_EQ(ListAll("0000000001", "0001-01-01", "9999-12-31", 2),
            "[2] 1/1=150.0 1/3=140.0[1] 1/2=120.0");
  EXPECT_EQ(ListAll("", "2024-03-02", "2024-03-11", 1), "[1] 1/2=120.0[1] 2/1=5.0")
      << "the balance counts the statement's movements before the period";
  EXPECT_EQ(ListAll("", "2024-04-01", "2024-04-30", 5), "[0]");
}

TEST_P(ViewMethodsTest, APageOfAStatementWithoutHeaderHasNoBalance) {
  AddMovement("001", "0000000009", "0000000001", "2024-03-20", "1.00, 'C', 'SEM EXTRATO'");
  EXPECT_EQ(ListAll("0000000009", "0001-01-01", "9999-12-31", 5), "[1] 9/1=null");
}

TEST_P(ViewMethodsTest, BadPagesAreRefused) {
  EXPECT_EQ(Error("GetMovimentosConta", {"001", "", "0001-01-01", "9999-12-31", "x", 5}),
            "Posição inválida na lista de movimentos: x.");
  EXPECT_EQ(Error("GetMovimentosConta",
                  {"001", "", "0001-01-01", "9999-12-31", R"(["2024-13-01","1","1",null])", 5}),
            R"(Posição inválida na lista de movimentos: ["2024-13-01","1","1",null].)");
  EXPECT_EQ(Error("GetMovimentosConta", {"001", "", "0001-01-01", "9999-12-31", "", 0}),
            "Argumento 6 de GetMovimentosConta (movimentos por página): deve ser um número "
            "inteiro de 1 a 10000.");
  EXPECT_EQ(Error("GetMovimentosConta", {"001", "", "0001-01-01", "9999-12-31", "", 10001}),
            "Argumento 6 de GetMovimentosConta (movimentos por página): deve ser um número "
            "inteiro de 1 a 10000.");
}

TEST_P(ViewMethodsTest, DailyBalancesEndEachStatementOnItsStatedClosingBalance) {
  EXPECT_EQ(Result("GetSaldosDiarios", {"001", "2024-03-01", "2024-03-31"})["rows"],
            json::parse(R"([
      ["2024-03-01", "0000000001", 140.0], ["2024-03-03", "0000000001", 120.0],
      ["2024-03-05", "0000000001", 120.0], ["2024-03-10", "0000000002", -10.0],
      ["2024-03-11", "0000000002", 5.0], ["2024-03-12", "0000000002", 5.0]])"));
  Exec("UPDATE EXTRBANCO SET VRSALDFIM = 99.00 WHERE CDSEQUEXTR = '0000000002'");
  EXPECT_EQ(
      Result("GetSaldosDiarios", {"001", "2024-03-11", "2024-03-12"})["rows"],
      json::parse(R"([["2024-03-11", "0000000002", 5.0], ["2024-03-12", "0000000002", 99.0]])"))
      << "the bank's closing balance is shown as stated, even when the movements disagree";
}

}  // namespace
}  // namespace server::testing
