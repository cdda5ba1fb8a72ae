// The import run, told with the Bradesco layout on the real server.
#include "importers/import_run.h"

#include <gtest/gtest.h>

#include "testing/import_test_support.h"

namespace importers::testing {
namespace {

using Names = std::vector<std::string>;

constexpr const char* kMovements =
    "SELECT CDSEQUEXTR, NRSEQMOVREAL, NRDOCMOVREAL, DTMOVREAL, VRMOVREAL, IDMOVREAL, "
    "DSHISTMOVREAL, IDTIPOREGI, CDCATELANC, IDSTCONMVBAN, IDTPMOVREAL FROM MOVREAL "
    "ORDER BY CDSEQUEXTR, NRSEQMOVREAL";
constexpr const char* kHeaders = "SELECT * FROM EXTRBANCO ORDER BY CDSEQUEXTR";

// The operations of a change set, in order.
Names ChangeOps(const host::Variant& change_set) {
  Names ops;
  for (const host::Variant& change : change_set["changes"])
    ops.push_back(change["op"]);
  return ops;
}

class ImportRunTest : public ImportTest {
 protected:
  // A statement of 07/07/2016 with three movements.
  std::vector<std::string> Statement(std::vector<std::string> movements = {}) {
    if (movements.empty()) {
      movements = {BradescoMovement("685716", 699730), BradescoMovement("294423", 2641020),
                   BradescoMovement("022466", 767942, "080716", 'D', "LIQUIDACAO DE COBRANCA")};
    }
    std::vector<std::string> records = {BradescoBalance('0', "070716", 3340650, 'D')};
    records.insert(records.end(), movements.begin(), movements.end());
    records.push_back(BradescoBalance('2', "090716", 2298746));
    return BradescoFile(records);
  }

  host::EventOutcome ImportLines(const std::vector<std::string>& lines,
                                 const std::string& line_end = "\r\n") {
    return Import("237", WriteFile("extrato.txt", lines, line_end));
  }
};

TEST_F(ImportRunTest, NewStatementIsStoredWithBothBalancesAndNumberedMovements) {
  EXPECT_EQ(host::EventOutcome::kCompleted, ImportLines(Statement()));

  EXPECT_EQ(std::vector<std::string>{kSucesso}, Texts());
  EXPECT_EQ(host::DialogType::kInformation, ui_.messages().at(0).type);
  EXPECT_EQ(
      // The first movement is looked up alone, the next two together, read ahead.
      (Names{"GetMaskCont", "GetContCorr", "GetVersaoConta", "GetPrxMovReal", "GetExtrBanco",
             "GetPesqLancLote", "GetPesqLancLote", "Set_Real_Bradesco"}),
      Calls());
  EXPECT_EQ(
      (std::vector<std::string>{"001|0000000001|2016-07-07|2016-07-09|33406.50|22987.46|D|C"}),
      Rows(kHeaders));
  EXPECT_EQ(
      (std::vector<std::string>{"0000000001|0000000001|00000000000000685716|2016-07-07|6997.30|C|"
                                "RESGATE MERCADO ABERTO   |1|206|0|0",
                                "0000000001|0000000002|00000000000000294423|2016-07-07|26410.20|C|"
                                "RESGATE MERCADO ABERTO   |1|206|0|0",
                                "0000000001|0000000003|00000000000000022466|2016-07-08|7679.42|D|"
                                "LIQUIDACAO DE COBRANCA   |1|206|0|0"}),
      Rows(kMovements));
  // The header goes with the movements: inserted, then its final balance.
  EXPECT_EQ((Names{"insert", "modify"}), ChangeOps(ParamsOf("Set_Real_Bradesco")[1]));
  // With the account's version read before anything else of it, and the file.
  host::Variant context = ParamsOf("Set_Real_Bradesco")[2];
  EXPECT_EQ(host::Variant({{"001", 0}}), context["versoes"]);
  EXPECT_TRUE(context["arquivo"].get<std::string>().ends_with("/extrato.txt")) << context;
  EXPECT_TRUE(screen_->cdsMovReal.IsEmpty());
  EXPECT_FALSE(ui_.wait_visible());
}

TEST_F(ImportRunTest, SecondImportFindsEverythingStoredAndNamesTheAccount) {
  ImportLines(Statement());
  EXPECT_EQ(host::EventOutcome::kAborted, ImportLines(Statement()));

  EXPECT_EQ(std::vector<std::string>{JaImportado("001")}, Texts());
  EXPECT_EQ(host::DialogType::kError, ui_.messages().at(0).type);
  EXPECT_EQ((Names{"GetMaskCont", "GetContCorr", "GetVersaoConta", "GetPrxMovReal", "GetExtrBanco",
                   "GetSequencia", "GetPesqLancLote", "GetPesqLancLote", "Set_Real_Bradesco"}),
            Calls());
  EXPECT_EQ(1, Count("EXTRBANCO"));
  EXPECT_EQ(3, Count("MOVREAL"));
}

TEST_F(ImportRunTest, NewMovementsOfAPartlyStoredFileAreNumberedOnFromTheStoredLast) {
  std::string first = BradescoMovement("000001", 100), second = BradescoMovement("000002", 200);
  std::string third = BradescoMovement("000003", 300), fourth = BradescoMovement("000004", 400);
  ImportLines(Statement({first, second}));

  // The new movements come first and the stored ones last: still a success.
  EXPECT_EQ(host::EventOutcome::kCompleted, ImportLines(Statement({third, fourth, first, second})));

  EXPECT_EQ(std::vector<std::string>{kSucesso}, Texts());
  EXPECT_EQ((std::vector<std::string>{
                "0000000001|00000000000000000001", "0000000002|00000000000000000002",
                "0000000003|00000000000000000003", "0000000004|00000000000000000004"}),
            Rows("SELECT NRSEQMOVREAL, NRDOCMOVREAL FROM MOVREAL ORDER BY NRSEQMOVREAL"));
}

TEST_F(ImportRunTest, ClosingMessageIsDecidedByThisRunAlone) {
  ImportLines(Statement());
  ImportLines(Statement());  // leaves a stored movement in cdsPesqLanc

  EXPECT_EQ(host::EventOutcome::kAborted, ImportLines(BradescoFile({})));
  EXPECT_EQ(std::vector<std::string>{kSemDados}, Texts());
  EXPECT_EQ(Names{"Set_Real_Bradesco"}, Calls());
  EXPECT_EQ(0u, ParamsOf("Set_Real_Bradesco")[0]["rows"].size());

  // Balances alone, without a movement, are a success.
  EXPECT_EQ(host::EventOutcome::kCompleted,
            ImportLines(BradescoFile(
                {BradescoBalance('0', "100716", 100), BradescoBalance('2', "100716", 100)})));
  EXPECT_EQ(std::vector<std::string>{kSucesso}, Texts());
}

TEST_F(ImportRunTest, SubmissionAnsweredFalseWarnsAndStoresNoMovement) {
  answers_["Set_Real_Bradesco"] = {{"ok", true}, {"result", false}};

  EXPECT_EQ(host::EventOutcome::kAborted, ImportLines(Statement()));

  EXPECT_EQ(std::vector<std::string>{"Os dados contidos no arquivo já existem no sistema."},
            Texts());
  EXPECT_EQ(host::DialogType::kWarning, ui_.messages().at(0).type);
  const auto& events = ui_.events();
  ASSERT_GE(events.size(), 3u);
  EXPECT_EQ("wait", events[events.size() - 3].kind);
  EXPECT_EQ("message", events[events.size() - 2].kind);
  EXPECT_EQ("unwait", events.back().kind);
  EXPECT_FALSE(screen_->pgbProgresso.Visible());
  EXPECT_EQ(0, Count("MOVREAL"));
}

// A preview's submission goes to the server, which checks it and keeps nothing.
TEST_F(ImportRunTest, APreviewSubmitsForTheServersChecksAndStoresNothing) {
  screen_->runPreview = true;
  EXPECT_EQ(host::EventOutcome::kCompleted, ImportLines(Statement()));
  EXPECT_EQ(std::vector<std::string>{kSucesso}, Texts());
  EXPECT_EQ(host::Variant(true), ParamsOf("Set_Real_Bradesco")[2]["simulacao"]);
  EXPECT_EQ(0, Count("MOVREAL"));
  EXPECT_EQ(0, Count("EXTRBANCO"));
  EXPECT_EQ(0, Count("LOGIMPEXTR"));
}

// Opening 33.406,50 D, credits 33.407,50, debits 7.679,42: the statement's movements
// end at 7.678,42 D, and its closing says 22.987,46 C.
TEST_F(ImportRunTest, AStatementThatDoesNotAddUpIsStoredOnlyIfTheUserSaysSo) {
  screen_->runCheckBalances = true;
  const std::string question =
      "O extrato de 07/07/2016 não confere: saldo inicial 33.406,50 D + créditos 33.407,50 - "
      "débitos 7.679,42 = 7.678,42 D, mas o saldo final do arquivo é 22.987,46 C. Deseja "
      "importar assim mesmo?";
  ui_.ScriptAnswer(kNao);
  EXPECT_EQ(host::EventOutcome::kAborted, ImportLines(Statement()));
  ASSERT_EQ(1u, ui_.questions().size());
  EXPECT_EQ(question, ui_.questions()[0].text);
  EXPECT_EQ(std::vector<std::string>{"Importação cancelada com sucesso."}, Texts());
  EXPECT_EQ(0, Count("MOVREAL"));
  EXPECT_EQ(0, Count("EXTRBANCO"));

  ui_.ScriptAnswer(kSim);
  EXPECT_EQ(host::EventOutcome::kCompleted, ImportLines(Statement()));
  EXPECT_EQ(3, Count("MOVREAL"));

  // A statement that adds up asks nothing.
  EXPECT_EQ(
      host::EventOutcome::kCompleted,
      ImportLines(BradescoFile(
          {BradescoBalance('0', "100716", 100, 'D'), BradescoMovement("000001", 350, "100716"),
           BradescoMovement("000002", 50, "100716", 'D'), BradescoBalance('2', "100716", 200)})));
  EXPECT_TRUE(ui_.questions().empty());
  EXPECT_EQ(5, Count("MOVREAL"));
}

// The maximum is the file's size, and each line advances the bar by the bytes it
// took: the bar fills whatever the line ends and the encoding.
TEST_F(ImportRunTest, ProgressFillsTheBarAndRepaintsForEveryLine) {
  std::vector<std::string> utf8 =
      Statement({BradescoMovement("000001", 100, "070716", 'C', "DEPOSITO EM CHEQUE")});
  utf8[2].replace(utf8[2].find("DEPOSITO") + 3, 1, "Ó");
  std::vector<std::string> latin1 = utf8;
  latin1[2].replace(latin1[2].find("Ó"), 2, "\xD3");
  for (const auto& [lines, line_end] :
       {std::pair{Statement(), "\r\n"}, std::pair{utf8, "\n"}, std::pair{latin1, "\r\n"}}) {
    Exec("DELETE FROM MOVREAL");
    Exec("DELETE FROM EXTRBANCO");
    std::string path = WriteFile("extrato.txt", lines, line_end);
    EXPECT_EQ(host::EventOutcome::kCompleted, Import("237", path));  // counts repaints afresh

    long long size = static_cast<long long>(std::filesystem::file_size(path));
    EXPECT_EQ(size, screen_->pgbProgresso.Max());
    EXPECT_EQ(size, screen_->pgbProgresso.Position());
    EXPECT_FALSE(screen_->pgbProgresso.Visible());
    EXPECT_LE(static_cast<int>(lines.size()), ui_.repaints());
  }
}

TEST_F(ImportRunTest, ConversionErrorsNameTheLine) {
  struct Case {
    std::string record;
    std::string error;
  };
  std::string bad_day = BradescoMovement("000001", 100, "3A0716");
  std::string bad_month = BradescoMovement("000001", 100, "071316");
  std::string bad_year = BradescoMovement("000001", 100, "0707 5");
  std::string bad_amount = BradescoMovement("000001", 100);
  bad_amount[97] = 'A';
  // A kind that stores nothing is converted all the same.
  std::string other_kind = BradescoMovement("000001", 100, "3A0716");
  other_kind[41] = '7';
  for (const Case& c :
       {Case{bad_day, "Linha 3: '3A' não é um valor válido para o dia."},
        Case{bad_month, "Linha 3: '07/13/2016' não é uma data válida."},
        Case{bad_year, "Linha 3: '20 5' não é um valor válido para o ano."},
        Case{bad_amount, "Linha 3: '00000000000A0001,00' não é um valor monetário válido."},
        Case{other_kind, "Linha 3: '3A' não é um valor válido para o dia."}}) {
    EXPECT_EQ(host::EventOutcome::kFailed, ImportLines(Statement({c.record})));
    EXPECT_EQ(std::vector<std::string>{c.error}, Texts());
    EXPECT_FALSE(screen_->pgbProgresso.Visible());
  }
  EXPECT_EQ(0, Count("MOVREAL"));
}

TEST_F(ImportRunTest, FinalBalanceWithoutItsInitialBalanceChangesNoHeader) {
  ImportLines(Statement());
  std::vector<std::string> stored = Rows(kHeaders);

  EXPECT_EQ(host::EventOutcome::kAborted,
            ImportLines(BradescoFile({BradescoBalance('2', "100716", 100)})));

  EXPECT_EQ(std::vector<std::string>{"Linha 2: saldo final sem o saldo inicial do extrato."},
            Texts());
  EXPECT_EQ(stored, Rows(kHeaders));
}

TEST_F(ImportRunTest, Latin1AndUtf8AndLineEndsGiveTheSameRows) {
  std::vector<std::string> utf8 =
      Statement({BradescoMovement("000001", 100, "070716", 'C', "DEPOSITO EM CHEQUE")});
  utf8[2].replace(utf8[2].find("DEPOSITO") + 3, 1, "Ó");
  std::vector<std::string> latin1 = utf8;
  latin1[2].replace(latin1[2].find("Ó"), 2, "\xD3");

  ASSERT_EQ(host::EventOutcome::kCompleted, ImportLines(utf8));
  std::vector<std::string> rows = Rows(kMovements);
  ASSERT_EQ(1u, rows.size());
  EXPECT_NE(std::string::npos, rows[0].find("|DEPÓSITO EM CHEQUE       |")) << rows[0];

  for (const auto& [lines, line_end] : {std::pair{latin1, "\r\n"}, std::pair{utf8, "\n"}}) {
    Exec("DELETE FROM MOVREAL");
    Exec("DELETE FROM EXTRBANCO");
    EXPECT_EQ(host::EventOutcome::kCompleted, ImportLines(lines, line_end));
    EXPECT_EQ(rows, Rows(kMovements));
  }
}

// Writes what the run tells, one text per event.
class RecordingObserver : public RunObserver {
 public:
  void OnMovement(std::size_t line, const MovementRead&, Movement what) override {
    events.push_back(fmt::format("{}: {}", line, what == Movement::kNew ? "new" : "stored"));
  }
  void OnIgnored(std::size_t line) override { events.push_back(fmt::format("{}: ignored", line)); }
  void OnInitialBalance(std::size_t line, const Balance& b, bool stored) override {
    events.push_back(fmt::format("{}: initial {} {} {} {:.2f} {}{}", line, b.account, b.code,
                                 b.date.ToIso(), b.amount, b.indicator, stored ? " stored" : ""));
  }
  void OnFinalBalance(std::size_t line, const Balance& b) override {
    events.push_back(
        fmt::format("{}: final {} {:.2f} {}", line, b.date.ToIso(), b.amount, b.indicator));
  }
  std::vector<std::string> events;
};

TEST_F(ImportRunTest, ObserverIsToldWhatEveryRecordDid) {
  ImportLines(Statement({BradescoMovement("000001", 100)}));
  RecordingObserver observer;
  screen_->runObserver = &observer;
  EXPECT_EQ(
      host::EventOutcome::kCompleted,
      ImportLines(Statement({BradescoMovement("000001", 100), BradescoMovement("000002", 200)})));
  screen_->runObserver = nullptr;
  EXPECT_EQ((Names{"2: initial 001 0000000001 2016-07-07 33406.50 D stored", "3: stored", "4: new",
                   "5: final 2016-07-09 22987.46 C"}),
            observer.events);
}

// Nothing of a run is stored but by its submission: a run that fails, is refused or
// is cancelled leaves every header as it was, a stored final balance included.
TEST_F(ImportRunTest, HeadersAreStoredOnlyWithTheMovements) {
  std::string bad_amount = BradescoMovement("000001", 100);
  bad_amount[97] = 'A';
  EXPECT_EQ(host::EventOutcome::kFailed, ImportLines(Statement({bad_amount})));
  EXPECT_EQ(0, Count("EXTRBANCO"));

  ImportLines(Statement());
  std::vector<std::string> stored = Rows(kHeaders);
  std::vector<std::string> other_closing = Statement();
  other_closing.end()[-2] = BradescoBalance('2', "090716", 12345678);
  other_closing.insert(other_closing.end() - 2, BradescoMovement("000009", 900));
  answers_["Set_Real_Bradesco"] = {{"ok", true}, {"result", false}};
  EXPECT_EQ(host::EventOutcome::kAborted, ImportLines(other_closing));
  EXPECT_EQ(stored, Rows(kHeaders));
  answers_.clear();
  // Found stored whole, a file is imported already whatever closing balance it states.
  std::vector<std::string> same_movements = Statement();
  same_movements.end()[-2] = BradescoBalance('2', "090716", 77777);
  EXPECT_EQ(host::EventOutcome::kAborted, ImportLines(same_movements));
  EXPECT_EQ(Names{JaImportado("001")}, Texts());
  EXPECT_EQ(stored, Rows(kHeaders));

  // The header changes travel with the movements: the new final balance and the row.
  EXPECT_EQ(host::EventOutcome::kCompleted, ImportLines(other_closing));
  EXPECT_EQ((Names{"001|0000000001|2016-07-07|2016-07-09|33406.50|123456.78|D|C"}), Rows(kHeaders));
  EXPECT_EQ(Names{"modify"}, ChangeOps(ParamsOf("Set_Real_Bradesco")[1]));
}

TEST_F(ImportRunTest, MovementsThatNoStatementHoldsOrWithoutDebitOrCreditAreRefused) {
  std::string stray = BradescoMovement("000001", 100);
  std::string neither = BradescoMovement("000002", 200, "070716", 'X');
  std::vector<std::string> after_final = Statement();
  after_final.insert(after_final.end() - 1, stray);
  struct Case {
    std::vector<std::string> lines;
    std::string error;
  } cases[] = {
      {BradescoFile({stray}), "Linha 2: movimento sem o saldo inicial do extrato."},
      {after_final, "Linha 7: movimento sem o saldo inicial do extrato."},
      {Statement({stray, neither}),
       "Linha 4: o indicador de débito/crédito do movimento é 'X'; esperado D ou C."},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(host::EventOutcome::kAborted, ImportLines(c.lines));
    EXPECT_EQ(Names{c.error}, Texts());
  }
  EXPECT_EQ(0, Count("EXTRBANCO"));
  EXPECT_EQ(0, Count("MOVREAL"));
}

// Another import commits into the account while this one reads: the submission comes
// back unstored, and the run reads the file again from its first line.
TEST_F(ImportRunTest, AnImportCommittedMeanwhileMakesTheRunReadTheFileAgain) {
  class MeddlingObserver : public RecordingObserver {
   public:
    void OnMovement(std::size_t line, const MovementRead& read, Movement what) override {
      if (auto once = std::exchange(meddle, nullptr))
        once();
      RecordingObserver::OnMovement(line, read, what);
    }
    void OnRestart(const std::string& reason) override { events.push_back(reason); }
    std::function<void()> meddle;  // at the first movement only
  } observer;
  // Another client stores a statement of the account, and so raises its version.
  observer.meddle = [this] {
    Exec(
        "INSERT INTO EXTRBANCO (CDREDUCONT, CDSEQUEXTR, DTSALDINIC) VALUES ('001', "
        "'0000000001', '2016-07-01')");
    Exec("INSERT INTO VERSAOCONTA (CDREDUCONT, NRVERSAO) VALUES ('001', 1)");
  };
  screen_->runObserver = &observer;
  EXPECT_EQ(host::EventOutcome::kCompleted, ImportLines(Statement({BradescoMovement("1", 100)})));
  screen_->runObserver = nullptr;

  EXPECT_EQ((Names{"2: initial 001 0000000001 2016-07-07 33406.50 D", "3: new",
                   "4: final 2016-07-09 22987.46 C",
                   "Outra importação gravou nesta conta; lendo o arquivo de novo.",
                   "2: initial 001 0000000002 2016-07-07 33406.50 D", "3: new",
                   "4: final 2016-07-09 22987.46 C"}),
            observer.events);
  EXPECT_EQ(Names{kSucesso}, Texts());
  Names calls = Calls();
  EXPECT_EQ(2, std::count(calls.begin(), calls.end(), "Set_Real_Bradesco"));
  EXPECT_EQ((Names{"0000000001|2016-07-01|-", "0000000002|2016-07-07|2016-07-09"}),
            Rows("SELECT CDSEQUEXTR, DTSALDINIC, COALESCE(DTSALDFIN, '-') FROM EXTRBANCO ORDER "
                 "BY CDSEQUEXTR"));
  EXPECT_EQ(Names{"0000000002|0000000001"}, Rows("SELECT CDSEQUEXTR, NRSEQMOVREAL FROM MOVREAL"));
}

}  // namespace
}  // namespace importers::testing
