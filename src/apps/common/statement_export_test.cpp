#include "apps/common/statement_export.h"

#include <sstream>

#include <gtest/gtest.h>

#include "apps/common/brazilian_format.h"
#include "apps/common/ofx_test_reader.h"

namespace apps {
namespace {

TEST(BrazilianFormatTest, AmountsAndDates) {
  const struct {
    double amount;
    const char* grouped;
    const char* plain;
  } amounts[] = {
      {0.0, "0,00", "0,00"},
      {0.005, "0,01", "0,01"},
      {-0.5, "-0,50", "-0,50"},
      {999.99, "999,99", "999,99"},
      {1234.5, "1.234,50", "1234,50"},
      {-1234567.891, "-1.234.567,89", "-1234567,89"},
      {387960.97, "387.960,97", "387960,97"},
  };
  for (const auto& row : amounts) {
    EXPECT_EQ(BrazilianAmount(row.amount), row.grouped) << row.amount;
    EXPECT_EQ(BrazilianAmount(row.amount, false), row.plain) << row.amount;
  }
  EXPECT_EQ(BrazilianDate(host::Date(2024, 1, 2)), "02/01/2024");
  EXPECT_EQ(ReadDate("28/02/2024"), host::Date(2024, 2, 28));
  EXPECT_EQ(ReadDate("2024-02-28"), host::Date(2024, 2, 28));
  for (const char* bad : {"30/02/2024", "1/2/2024", "2024/02/28", "", "28-02-2024"})
    EXPECT_EQ(ReadDate(bad), std::nullopt) << bad;
}

ExportHeader Header() {
  ExportHeader header;
  header.account = "001";
  header.bank = "237";
  header.agency = "3509";
  header.number = "00125668";
  header.from = host::Date(2024, 1, 2);
  header.to = host::Date(2024, 1, 28);
  header.closing_balance = -1234.56;
  header.closing_date = host::Date(2024, 1, 28);
  return header;
}

std::vector<ListedMovement> Movements() {
  return {
      {"0000000001", "0000000001", host::Date(2024, 1, 2), "DOC 1", "TARIFA AÇÃO; ÚNICA", 10.5, "D",
       "0", -10.5},
      {"0000000001", "0000000002", host::Date(2024, 1, 5), "", "PIX \"JOSÉ\" <R&D>", 2348.29, "C",
       "1", 2337.79},
      {"0000000002", "0000000001", host::Date(2024, 1, 28), "123", "", 0.01, "C", "0",
       std::nullopt},
  };
}

std::string Write(ExportFormat format) {
  std::ostringstream out;
  auto writer = MakeExportWriter(format, Header(), out);
  for (const ListedMovement& movement : Movements())
    writer->Add(movement);
  writer->Finish();
  return out.str();
}

// A strict reader of what the CSV writer promises: CRLF lines, ";" between
// fields, quotes around a field that holds ";" or a quote, quotes doubled inside.
std::vector<std::vector<std::string>> ReadCsv(std::string_view text) {
  std::vector<std::vector<std::string>> lines(1, std::vector<std::string>(1));
  bool quoted = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    std::string& field = lines.back().back();
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
        field += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        field += c;
      }
    } else if (c == '"') {
      EXPECT_TRUE(field.empty()) << "a quote inside an unquoted field";
      quoted = true;
    } else if (c == ';') {
      lines.back().emplace_back();
    } else if (c == '\r') {
      EXPECT_EQ(text.substr(i, 2), "\r\n");
      ++i;
      lines.emplace_back(1);
    } else {
      EXPECT_NE(c, '\n') << "a bare line feed";
      field += c;
    }
  }
  EXPECT_EQ(lines.back(), std::vector<std::string>(1)) << "the file ends with a line end";
  lines.pop_back();
  return lines;
}

TEST(StatementExportTest, CsvReadsBackFieldByField) {
  std::string csv = Write(ExportFormat::kCsv);
  ASSERT_EQ(csv.substr(0, 3), "\xEF\xBB\xBF") << "spreadsheets then take the text as UTF-8";
  std::vector<std::vector<std::string>> expected = {
      {"Conta", "Extrato", "Movimento", "Data", "Documento", "Histórico", "Valor", "D/C",
       "Situação", "Saldo"},
      {"001", "0000000001", "0000000001", "02/01/2024", "DOC 1", "TARIFA AÇÃO; ÚNICA", "-10,50",
       "D", "0", "-10,50"},
      {"001", "0000000001", "0000000002", "05/01/2024", "", "PIX \"JOSÉ\" <R&D>", "2348,29", "C",
       "1", "2337,79"},
      {"001", "0000000002", "0000000001", "28/01/2024", "123", "", "0,01", "C", "0", ""},
  };
  EXPECT_EQ(ReadCsv(std::string_view(csv).substr(3)), expected);
}

TEST(StatementExportTest, OfxReadBackByLibofx) {
  std::string ofx = Write(ExportFormat::kOfx);
  testing::OfxRead read = testing::ReadOfx(ofx);
  EXPECT_EQ(read.bank, "237");
  EXPECT_EQ(read.account, "00125668");
  ASSERT_EQ(read.transactions.size(), 3u) << ofx;
  const struct {
    const char* fitid;
    const char* date;
    const char* amount;
    const char* memo;
  } expected[] = {
      {"0000000001-0000000001", "2024-01-02", "-10.50", "TARIFA AÇÃO; ÚNICA"},
      {"0000000001-0000000002", "2024-01-05", "2348.29", "PIX \"JOSÉ\" <R&D>"},
      {"0000000002-0000000001", "2024-01-28", "0.01", ""},
  };
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    EXPECT_EQ(read.transactions[i].fitid, expected[i].fitid);
    EXPECT_EQ(read.transactions[i].date, expected[i].date);
    EXPECT_EQ(read.transactions[i].amount, expected[i].amount);
    EXPECT_EQ(read.transactions[i].memo, expected[i].memo);
  }
  EXPECT_EQ(read.transactions[0].reference, "DOC 1");
  EXPECT_EQ(read.ledger_balance, "-1234.56");
  EXPECT_EQ(read.ledger_date, "2024-01-28");
  EXPECT_EQ(Write(ExportFormat::kOfx), ofx) << "the same movements, the same file";
}

}  // namespace
}  // namespace apps
