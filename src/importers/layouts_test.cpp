// What every layout of the table must do, on files the generator writes for it.
#include "layouts/layouts.h"

#include <gtest/gtest.h>

#include "testing/layout_test_support.h"

namespace importers::testing {
namespace {

using Names = std::vector<std::string>;

constexpr const char* kMovementRows =
    "SELECT CDREDUCONT, CDSEQUEXTR, NRSEQMOVREAL, NRDOCMOVREAL, DTMOVREAL, VRMOVREAL, IDMOVREAL, "
    "DSHISTMOVREAL, IDTIPOREGI, CDCATELANC FROM MOVREAL ORDER BY NRSEQMOVREAL";

Names LayoutNames() {
  Names names;
  for (const Layout& layout : Layouts())
    names.emplace_back(layout.name);
  return names;
}

class EveryLayoutTest : public LayoutImportTest, public ::testing::WithParamInterface<std::string> {
 protected:
  void SetUp() override {
    LayoutImportTest::SetUp();
    Use(GetParam());
  }
};

TEST_P(EveryLayoutTest, NewStatementIsStoredWithItsBalancesAndNumberedMovements) {
  EXPECT_EQ(host::EventOutcome::kCompleted, ImportLines(Statement()));

  EXPECT_EQ(Names{kSucesso}, Texts());
  Names calls = Calls();
  std::erase(calls, "GetIdLayout");
  ASSERT_GE(calls.size(), 4u);
  EXPECT_EQ((Names{"GetMaskCont", LookupMethod(), "GetVersaoConta", "GetPrxMovReal"}),
            Names(calls.begin(), calls.begin() + 4));
  EXPECT_EQ(layout().submission, calls.back());
  EXPECT_EQ(Names{Account() + "|0000000001|2024-01-02|2024-01-26|364911.92|C"},
            Rows("SELECT CDREDUCONT, CDSEQUEXTR, DTSALDINIC, DTSALDFIN, VRSALDINIC, IDEXTRINI "
                 "FROM EXTRBANCO"));
  Names movements = Rows(kMovementRows);
  ASSERT_EQ(static_cast<std::size_t>(kMovements), movements.size());
  std::string movement_kind(layout().kinds.movement);
  EXPECT_EQ(Account() + "|0000000001|0000000001|00000000000000100000|2024-01-02|2348.29|C|" +
                "LIQUIDACAO COBRANCA      |" + movement_kind + "|213",
            movements.front());
  EXPECT_EQ("0000000005", movements.back().substr(15, 10));
}

// A layout that asks about a stored first movement is answered "Sim".
TEST_P(EveryLayoutTest, SecondImportFindsEverythingStoredAndNamesTheAccount) {
  ImportLines(Statement());
  ui_.ScriptAnswer(kSim);
  EXPECT_EQ(host::EventOutcome::kAborted, ImportLines(Statement()));

  EXPECT_EQ(Names{JaImportado(Account())}, Texts());
  EXPECT_EQ(1, Count("EXTRBANCO"));
  EXPECT_EQ(kMovements, Count("MOVREAL"));
}

TEST_P(EveryLayoutTest, NewMovementsOfAPartlyStoredFileAreNumberedOnFromTheStoredLast) {
  std::vector<std::string> part = Statement();
  std::size_t fourth = MovementLine(part, 3);
  part.erase(part.begin() + fourth, part.begin() + fourth + 2);
  ImportLines(part);
  ui_.ScriptAnswer(kSim);

  EXPECT_EQ(host::EventOutcome::kCompleted, ImportLines(Statement()));

  EXPECT_EQ(Names{kSucesso}, Texts());
  EXPECT_EQ((Names{"0000000001|00000000000000100000", "0000000002|00000000000000100001",
                   "0000000003|00000000000000100002", "0000000004|00000000000000100003",
                   "0000000005|00000000000000100004"}),
            Rows("SELECT NRSEQMOVREAL, NRDOCMOVREAL FROM MOVREAL ORDER BY NRSEQMOVREAL"));
}

TEST_P(EveryLayoutTest, FileOfAnotherBankFailsAfterItsAccountIsLookedUp) {
  EXPECT_EQ(host::EventOutcome::kAborted,
            ImportLines(OverRecords(Statement(), layout().columns.bank, '9')));
  EXPECT_EQ(Names{kBancoInvalido}, Texts());
  EXPECT_EQ("GetPrxMovReal", Calls().back());
  EXPECT_EQ(&screen_->medCdBanco, screen_->ActiveControl());
  EXPECT_EQ(0, Count("EXTRBANCO"));
}

TEST_P(EveryLayoutTest, UnregisteredAccountIsRefused) {
  EXPECT_EQ(host::EventOutcome::kAborted,
            ImportLines(OverRecords(Statement(), layout().columns.account, '9')));
  EXPECT_EQ(Names{kContaNaoCadastrada}, Texts());
  EXPECT_EQ(LookupMethod(), Calls().back());
  EXPECT_EQ(0, Count("EXTRBANCO"));
}

TEST_P(EveryLayoutTest, ConversionErrorNamesTheLine) {
  std::vector<std::string> lines = Statement();
  std::size_t second = MovementLine(lines, 1);
  lines[second].replace(layout().columns.day.position - 1, 2, "3A");

  EXPECT_EQ(host::EventOutcome::kFailed, ImportLines(lines));
  EXPECT_EQ(Names{fmt::format("Linha {}: '3A' não é um valor válido para o dia.", second + 1)},
            Texts());
  EXPECT_FALSE(screen_->pgbProgresso.Visible());
  EXPECT_EQ(0, Count("MOVREAL"));
}

// The server would refuse them only at the submission, with no line to name: the run
// refuses them at their line, before anything is sent.
TEST_P(EveryLayoutTest, ValuesTheDatabaseCannotHoldEndTheRunAtTheirLine) {
  const Columns& columns = layout().columns;
  std::vector<std::string> amount = Statement();
  std::size_t second = MovementLine(amount, 1);
  amount[second].replace(columns.whole.position - 1, columns.whole.length + columns.decimals.length,
                         std::string(columns.whole.length + columns.decimals.length, '9'));

  EXPECT_EQ(host::EventOutcome::kFailed, ImportLines(amount));
  EXPECT_EQ(Names{fmt::format("Linha {}: o valor '{},99' está fora do intervalo aceito (no máximo "
                              "13 dígitos inteiros).",
                              second + 1, std::string(columns.whole.length, '9'))},
            Texts());
  Names calls = Calls();
  EXPECT_EQ(0, std::count(calls.begin(), calls.end(), layout().submission));
  EXPECT_EQ(0, Count("MOVREAL"));

  if (layout().year || columns.year.length != 4)
    return;                       // a two-digit year always reads as a storable one
  Exec("DELETE FROM EXTRBANCO");  // the header the first run saved before its failure
  std::vector<std::string> year = Statement();
  year[second].replace(columns.year.position - 1, 4, "0000");
  EXPECT_EQ(host::EventOutcome::kFailed, ImportLines(year));
  std::string day = year[second].substr(columns.day.position - 1, 2);
  std::string month = year[second].substr(columns.month.position - 1, 2);
  EXPECT_EQ(Names{fmt::format("Linha {}: a data '{}/{}/0000' está fora do intervalo aceito (anos "
                              "de 1 a 9999).",
                              second + 1, day, month)},
            Texts());
  EXPECT_EQ(0, Count("MOVREAL"));
}

TEST_P(EveryLayoutTest, Latin1AndUtf8GiveTheSameRows) {
  std::vector<std::string> utf8 = Statement();
  std::string& movement = utf8[MovementLine(utf8, 0)];
  Column history = layout().columns.history;
  movement.replace(history.position - 1, history.length,
                   fmt::format("{:<{}}", "DEPOSITO EM CHEQUE", history.length));
  std::vector<std::string> latin1 = utf8;
  movement.replace(history.position - 1 + 3, 1, "Ó");
  std::string& latin1_movement = latin1[MovementLine(latin1, 0)];
  latin1_movement.replace(history.position - 1 + 3, 1, "\xD3");

  ASSERT_EQ(host::EventOutcome::kCompleted, ImportLines(utf8));
  Names rows = Rows(kMovementRows);
  EXPECT_NE(std::string::npos, rows.front().find("|DEPÓSITO EM CHEQUE       |")) << rows.front();
  Exec("DELETE FROM MOVREAL");
  Exec("DELETE FROM EXTRBANCO");
  EXPECT_EQ(host::EventOutcome::kCompleted, ImportLines(latin1, "\n"));
  EXPECT_EQ(rows, Rows(kMovementRows));
}

// Banks send them between records and after the last one.
TEST_P(EveryLayoutTest, BlankLinesArePassedOver) {
  std::vector<std::string> lines;
  for (const std::string& line : Statement()) {
    lines.push_back(line);
    lines.push_back(std::string(layout().width, ' '));
    lines.push_back("");
  }
  EXPECT_EQ(host::EventOutcome::kCompleted, ImportLines(lines));
  EXPECT_EQ(Names{kSucesso}, Texts());
  EXPECT_EQ(kMovements, Count("MOVREAL"));
  EXPECT_EQ(1, Count("EXTRBANCO"));
}

INSTANTIATE_TEST_SUITE_P(Table, EveryLayoutTest, ::testing::ValuesIn(LayoutNames()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           std::string name = info.param;
                           std::replace(name.begin(), name.end(), '-', '_');
                           return name;
                         });

TEST(LayoutOfBankTest, RoutesOnTheExactCnabCodeAndItausCompanyLayout) {
  struct Case {
    const char* cnab;
    const char* company_layout;  // what the server holds; asked for 341 only
    const char* layout;          // "" when nothing reads the file
  };
  const Case cases[] = {
      {"237", "", "bradesco"},    {"275", "", "real"},      {"356", "", "real"},
      {"033", "", "santander"},   {"341", "", "itau-200"},  {"341", "200", "itau-200"},
      {"341", "240", "itau-240"}, {"341", "400", ""},       {"341", " 240", ""},
      {"001", "", "febraban"},    {"104", "", "febraban"},  {"33", "", "febraban"},
      {"", "", "febraban"},       {"2370", "", "febraban"},
  };
  for (const Case& c : cases) {
    int asked = 0;
    const Layout* layout = LayoutOfBank(c.cnab, [&] {
      ++asked;
      return std::string(c.company_layout);
    });
    EXPECT_EQ(c.layout, layout ? layout->name : "") << c.cnab << " " << c.company_layout;
    EXPECT_EQ(std::string(c.cnab) == "341" ? 1 : 0, asked) << c.cnab;
  }
}

// A bank the table does not know gets a layout as the README tells: one row, from
// its family, stating where it departs. Nothing else is changed for it.
class AddedLayoutTest : public LayoutImportTest {
 protected:
  static Layout MadeUpRow() {
    Layout row = Cnab240();
    row.name = "exemplo";
    row.caption = "Banco Exemplo, 240 colunas";
    row.cnab_codes = {"998"};
    row.stored_statement = StoredStatement::kAdoptOtherCode;
    row.demo = {{"998", "BANCO EXEMPLO S.A.", "998", "9999999-9"},
                "E01",
                "0042",
                "01234567",
                "EXEMPLO C/C",
                "",
                row.demo.in_file,
                "",
                ""};
    return row;
  }
  void SetUp() override {
    LayoutImportTest::SetUp();
    AddLayout(MadeUpRow());
    Use("exemplo");
  }
  void TearDown() override {
    RemoveLayout("exemplo");
    LayoutImportTest::TearDown();
  }
};

TEST_F(AddedLayoutTest, ImportsThroughTheDispatchIntoItsAccount) {
  const Demo& demo = layout().demo;
  AddBank(std::string(demo.bank.code), std::string(demo.bank.cnab), std::string(demo.bank.mask));
  AddAccount(std::string(demo.reduced), std::string(demo.bank.code), std::string(demo.agency),
             std::string(demo.number));

  EXPECT_EQ(host::EventOutcome::kCompleted, ImportLines(Statement()));

  EXPECT_EQ(Names{kSucesso}, Texts());
  // Read by the added row, not by the row of every other bank.
  EXPECT_EQ(layout().submission, Calls().back());
  EXPECT_EQ(Names{"E01|0000000001"}, Rows("SELECT CDREDUCONT, CDSEQUEXTR FROM EXTRBANCO"));
  EXPECT_EQ(Names{std::to_string(kMovements)},
            Rows("SELECT COUNT(*) FROM MOVREAL WHERE CDREDUCONT = 'E01'"));
}

}  // namespace
}  // namespace importers::testing
