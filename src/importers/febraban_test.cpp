#include "layouts/febraban.h"

#include <gtest/gtest.h>

#include "testing/import_test_support.h"

namespace importers::testing {
namespace {

using Names = std::vector<std::string>;

constexpr const char* kArquivoInvalido = "Arquivo informado não é um arquivo de extrato bancário.";
constexpr const char* kContaMultipla =
    "Arquivo contém extratos de mais de uma conta corrente; importe um arquivo por conta.";
constexpr const char* kCancelada = "Importação cancelada com sucesso.";
constexpr const char* kMovimentoJaImportado =
    "Já existe uma movimentação com mesmo número, valor e data importada no sistema, deseja "
    "realizar a importação?";
constexpr const char* kValoresIguais =
    "Existem neste arquivo movimentações com mesmo número, valor e data, deseja realizar a "
    "importação?";

// Records of the demonstration account 014 (bank 001, agency 0679, 02726711-0).
writer::Record Record(char kind, const std::string& date = "", long long cents = 0) {
  writer::Record record;
  record.bank = "001";
  record.agency = "0679";
  record.account = "0000027267110";
  record.kind = kind;
  record.date = date;
  record.cents = cents;
  return record;
}

std::string FebrabanLine(const writer::Record& record) {
  return writer::Line(LayoutNamed("febraban"), record);
}

std::string Detail(const std::string& document, long long cents, const std::string& indicator = "C",
                   const std::string& category = "208") {
  writer::Record record = Record('3', "14122022", cents);
  record.document = document;
  record.indicator = indicator;
  record.category = category;
  record.history = "TED RECEBIDA";
  return FebrabanLine(record);
}

std::vector<std::string> Batch(const std::vector<std::string>& details,
                               const std::string& date = "23112022",
                               const std::string& account = "0000027267110") {
  writer::Record header = Record('1', date, 93241081);
  writer::Record trailer = Record('5', date, 21136549);
  header.account = trailer.account = account;
  std::vector<std::string> lines = {FebrabanLine(header)};
  lines.insert(lines.end(), details.begin(), details.end());
  lines.push_back(FebrabanLine(trailer));
  return lines;
}

std::vector<std::string> File(std::vector<std::string> batches) {
  batches.insert(batches.begin(), FebrabanLine(Record('0')));
  batches.push_back(FebrabanLine(Record('9')));
  return batches;
}

std::vector<std::string> Join(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

class FebrabanImportTest : public ImportTest {
 protected:
  host::EventOutcome ImportLines(const std::vector<std::string>& lines,
                                 const std::string& bank = "001") {
    return Import(bank, WriteFile("extrato.txt", lines));
  }

  Names Questions() const {
    Names texts;
    for (const host::Question& question : ui_.questions())
      texts.push_back(question.text);
    return texts;
  }
};

TEST_F(FebrabanImportTest, NewFileIsStoredAndSubmittedWithItsAnswer) {
  EXPECT_EQ(host::EventOutcome::kCompleted,
            ImportLines(File(Batch({Detail("A1", 100), Detail("B2", 200, "D")}))));

  EXPECT_EQ(Names{kSucesso}, Texts());
  EXPECT_EQ((Names{"GetMaskCont", "GetContCorr", "GetVersaoConta", "GetPrxMovReal", "GetExtrBanco",
                   "GetPesqLancLote", "GetPesqLancLote", "SetFebraban"}),
            Calls());
  host::Variant submitted = ParamsOf("SetFebraban");
  EXPECT_EQ(2u, submitted[0]["rows"].size());
  EXPECT_EQ(2u, submitted[1]["changes"].size()) << "the header, inserted and closed";
  EXPECT_EQ(false, submitted[2]);
  EXPECT_EQ((host::Variant{"001", "0679", "027267110", "C"}), ParamsOf("GetContCorr"));
  EXPECT_EQ((Names{"014|0000000001|000000000000000000A1|1.00|C|208|TED RECEBIDA             |3",
                   "014|0000000002|000000000000000000B2|2.00|D|208|TED RECEBIDA             |3"}),
            Rows("SELECT CDREDUCONT, NRSEQMOVREAL, NRDOCMOVREAL, VRMOVREAL, IDMOVREAL, "
                 "CDCATELANC, DSHISTMOVREAL, IDTIPOREGI FROM MOVREAL ORDER BY NRSEQMOVREAL"));
  EXPECT_EQ(Names{"2022-11-23|932410.81|C|2022-11-23|211365.49|C"},
            Rows("SELECT DTSALDINIC, VRSALDINIC, IDEXTRINI, DTSALDFIN, VRSALDFIM, IDEXTRFIM "
                 "FROM EXTRBANCO"));
}

TEST_F(FebrabanImportTest, BatchHeaderOfAnotherOperationIsRefusedBeforeAnyCheck) {
  writer::Record header = Record('1', "99999999");
  header.operation = "C";
  header.bank = "104";
  EXPECT_EQ(host::EventOutcome::kAborted,
            ImportLines(File({FebrabanLine(header), Detail("A1", 100)})));
  EXPECT_EQ(Names{kArquivoInvalido}, Texts());
  EXPECT_EQ(Names{}, Calls());
}

TEST_F(FebrabanImportTest, BlankIndicatorFallsBackToTheCategory) {
  EXPECT_EQ(host::EventOutcome::kCompleted,
            ImportLines(File(Batch({Detail("A1", 100, " ", "105"), Detail("B2", 200, " ", "305"),
                                    Detail("C3", 300, " ", "205")}))));
  // The record without a debit or credit is passed over and takes no number.
  EXPECT_EQ((Names{"0000000001|D|105", "0000000002|C|205"}),
            Rows("SELECT NRSEQMOVREAL, IDMOVREAL, CDCATELANC FROM MOVREAL ORDER BY NRSEQMOVREAL"));
}

TEST_F(FebrabanImportTest, AccountWidthFollowsTheBankMask) {
  struct Case {
    std::string bank;
    std::string mask;
    std::string account;  // the last nrDigConta characters of the columns the mask selects
  } cases[] = {
      {"901", "99999999", "12345678"},   // columns 59-70
      {"902", "9999999-9", "23456789"},  // 59-71
      {"903", "9999999-", "3456789"},    // 59-71
      {"904", "99999-99", "4567891"},    // 59-72
  };
  for (const Case& c : cases) {
    AddBank(c.bank, c.bank, c.mask);
    AddAccount(c.bank, c.bank, "0679", c.account);
    std::vector<std::string> lines = File(Batch({Detail("A1", 100)}, "23112022", "00001234567891"));
    for (std::string& line : lines)
      line.replace(0, 3, c.bank);

    EXPECT_EQ(host::EventOutcome::kCompleted, ImportLines(lines, c.bank)) << c.mask;
    EXPECT_EQ(c.account, ParamsOf("GetContCorr")[2]) << c.mask;
  }
  EXPECT_EQ((Names{"901", "902", "903", "904"}),
            Rows("SELECT CDREDUCONT FROM MOVREAL ORDER BY CDREDUCONT"));
}

// Overlapping files: every movement is looked up and one stored already is passed
// over; only a stored first movement asks whether to go on.
TEST_F(FebrabanImportTest, StoredMovementsArePassedOverAndAStoredFirstOneIsPutToTheUser) {
  ImportLines(File(Batch({Detail("A1", 100), Detail("B2", 200)})));
  std::vector<std::string> headers = Rows("SELECT * FROM EXTRBANCO");
  std::vector<std::string> again = File(Batch({Detail("A1", 100), Detail("C3", 300)}));

  ui_.ScriptAnswer(kNao);
  EXPECT_EQ(host::EventOutcome::kAborted, ImportLines(again));
  EXPECT_EQ(Names{kMovimentoJaImportado}, Questions());
  EXPECT_EQ((Names{"Não", "Sim"}), ui_.questions().at(0).captions);
  EXPECT_EQ(Names{kCancelada}, Texts());
  EXPECT_EQ(host::DialogType::kWarning, ui_.messages().at(0).type);
  // Closed without a choice is no "Sim": nothing is stored, as the server would refuse.
  ui_.ScriptAnswer(0);
  EXPECT_EQ(host::EventOutcome::kAborted, ImportLines(again));
  EXPECT_EQ(Names{"Os dados contidos no arquivo já existem no sistema."}, Texts());
  EXPECT_EQ(2, Count("MOVREAL"));
  EXPECT_EQ(headers, Rows("SELECT * FROM EXTRBANCO"));

  // "Sim": the movement not stored yet goes in, numbered on; the stored one does not.
  ui_.ScriptAnswer(kSim);
  EXPECT_EQ(host::EventOutcome::kCompleted, ImportLines(again));
  EXPECT_EQ(Names{kMovimentoJaImportado}, Questions());
  EXPECT_EQ((Names{"0000000001|000000000000000000A1", "0000000002|000000000000000000B2",
                   "0000000003|000000000000000000C3"}),
            Rows("SELECT NRSEQMOVREAL, NRDOCMOVREAL FROM MOVREAL ORDER BY NRSEQMOVREAL"));

  // A stored movement after a new first one is passed over without a question.
  EXPECT_EQ(host::EventOutcome::kCompleted,
            ImportLines(File(Batch({Detail("D4", 400), Detail("A1", 100)}))));
  EXPECT_EQ(Names{}, Questions());
  EXPECT_EQ((Names{"000000000000000000A1", "000000000000000000B2", "000000000000000000C3",
                   "000000000000000000D4"}),
            Rows("SELECT NRDOCMOVREAL FROM MOVREAL ORDER BY NRDOCMOVREAL"));
}

TEST_F(FebrabanImportTest, MovementsRepeatedWithinTheFileAreAskedAboutOnce) {
  // Each file's movements are its own: one stored by an earlier file would refuse it.
  auto file = [](const std::string& doc) {
    return File(Batch({Detail(doc, 100), Detail(doc + "other", 100), Detail(doc + "x", 100),
                       Detail(doc, 100), Detail(doc, 100)}));
  };
  ui_.ScriptAnswer(kNao);
  EXPECT_EQ(host::EventOutcome::kAborted, ImportLines(file("A1")));
  EXPECT_EQ(Names{kValoresIguais}, Questions());
  EXPECT_EQ(Names{kCancelada}, Texts());
  EXPECT_EQ(0, Count("MOVREAL"));

  struct Case {
    int answer;
    std::string document;
    bool import_repeated;
  } cases[] = {{0, "B2", false}, {kSim, "C3", true}};
  for (const Case& c : cases) {
    ui_.ScriptAnswer(c.answer);
    EXPECT_EQ(host::EventOutcome::kCompleted, ImportLines(file(c.document)));
    EXPECT_EQ(Names{kValoresIguais}, Questions());
    EXPECT_EQ(c.import_repeated, ParamsOf("SetFebraban")[2]);
  }
  EXPECT_EQ(10, Count("MOVREAL"));
  EXPECT_EQ((Names{"N", "S"}), Rows("SELECT IDIMPIGUAIS FROM LOGIMPEXTR ORDER BY DTHRIMPORT"));
}

TEST_F(FebrabanImportTest, RepeatedDocumentsDifferingInCaseAreRepeats) {
  ui_.ScriptAnswer(kNao);
  EXPECT_EQ(host::EventOutcome::kAborted,
            ImportLines(File(Batch({Detail("abc", 100), Detail("ABC", 100)}))));
  EXPECT_EQ(Names{kValoresIguais}, Questions());
}

TEST_F(FebrabanImportTest, BatchOfAnotherAccountEndsTheRunBeforeItStoresAnything) {
  std::vector<std::string> lines = File(
      Join(Batch({Detail("A1", 100)}), Batch({Detail("B2", 200)}, "24112022", "0000027267128")));
  EXPECT_EQ(host::EventOutcome::kAborted, ImportLines(lines));
  EXPECT_EQ(Names{kContaMultipla}, Texts());
  EXPECT_EQ(0, Count("EXTRBANCO"));
  EXPECT_EQ(0, Count("MOVREAL"));
}

TEST_F(FebrabanImportTest, BatchesOfOneAccountAreStatementsOfTheirOwn) {
  std::vector<std::string> lines =
      File(Join(Batch({Detail("A1", 100)}, "23112022"), Batch({Detail("B2", 200)}, "24112022")));
  EXPECT_EQ(host::EventOutcome::kCompleted, ImportLines(lines));
  EXPECT_EQ((Names{"0000000001|2022-11-23", "0000000002|2022-11-24"}),
            Rows("SELECT CDSEQUEXTR, DTSALDINIC FROM EXTRBANCO ORDER BY CDSEQUEXTR"));
  EXPECT_EQ((Names{"0000000001|0000000001", "0000000002|0000000002"}),
            Rows("SELECT CDSEQUEXTR, NRSEQMOVREAL FROM MOVREAL ORDER BY NRSEQMOVREAL"));
}

TEST_F(FebrabanImportTest, FileHeaderAndTrailerEndTheAccount) {
  AddAccount("040", "001", "0679", "027267144");
  std::vector<std::string> lines =
      Join(File(Batch({Detail("A1", 100)})),
           File(Batch({Detail("B2", 200)}, "23112022", "0000027267144")));
  EXPECT_EQ(host::EventOutcome::kCompleted, ImportLines(lines));
  Names calls = Calls();
  EXPECT_EQ(2, std::count(calls.begin(), calls.end(), "GetMaskCont"));
  EXPECT_EQ((Names{"014|A1", "040|B2"}),
            Rows("SELECT CDREDUCONT, TRIM(NRDOCMOVREAL, '0') FROM MOVREAL ORDER BY CDREDUCONT"));
}

TEST_F(FebrabanImportTest, FileWithoutBatchesHasNoData) {
  EXPECT_EQ(host::EventOutcome::kAborted, ImportLines(File({})));
  EXPECT_EQ(Names{kSemDados}, Texts());
  EXPECT_EQ(Names{"SetFebraban"}, Calls());
  EXPECT_EQ((host::Variant{0, nullptr, false}),
            (host::Variant{ParamsOf("SetFebraban")[0]["rows"].size(), ParamsOf("SetFebraban")[1],
                           ParamsOf("SetFebraban")[2]}));
}

// Blank bank columns pass the check of a bank without a CNAB code; the account is
// still resolved once, not at every record.
TEST_F(FebrabanImportTest, BankWithoutACnabCodeResolvesTheAccountOnce) {
  AddBank("905", "", "99999999-9");
  AddAccount("905", "905", "0679", "027267110");
  std::vector<std::string> lines = File(Batch({Detail("A1", 100), Detail("B2", 200)}));
  for (std::string& line : lines)
    line.replace(0, 3, "   ");
  EXPECT_EQ(host::EventOutcome::kCompleted, ImportLines(lines, "905"));
  Names calls = Calls();
  EXPECT_EQ(1, std::count(calls.begin(), calls.end(), "GetPrxMovReal"));
  EXPECT_EQ((Names{"0000000001|0000000001", "0000000001|0000000002"}),
            Rows("SELECT CDSEQUEXTR, NRSEQMOVREAL FROM MOVREAL ORDER BY NRSEQMOVREAL"));
}

TEST_F(FebrabanImportTest, OtherBanks) {
  // The account of the file is registered under bank 104 too: the bank check fails.
  EXPECT_EQ(host::EventOutcome::kAborted, ImportLines(File(Batch({Detail("A1", 100)})), "104"));
  EXPECT_EQ(Names{kBancoInvalido}, Texts());
  EXPECT_EQ((Names{"GetMaskCont", "GetContCorr", "GetVersaoConta", "GetPrxMovReal"}), Calls());
  EXPECT_EQ(host::EventOutcome::kAborted,
            ImportLines(File(Batch({Detail("A1", 100)}, "23112022", "0000099999999")), "104"));
  EXPECT_EQ(Names{kContaNaoCadastrada}, Texts());
  EXPECT_EQ(0, Count("MOVREAL"));
}

}  // namespace
}  // namespace importers::testing
