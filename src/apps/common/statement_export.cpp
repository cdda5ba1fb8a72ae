#include "apps/common/statement_export.h"

#include <fmt/format.h>

#include "apps/common/brazilian_format.h"
#include "host/utf8.h"

namespace apps {

const char* const kCsvColumns[10] = {"Conta",     "Extrato", "Movimento", "Data",     "Documento",
                                     "Histórico", "Valor",   "D/C",       "Situação", "Saldo"};

std::string TransactionId(const ListedMovement& movement) {
  return movement.statement + "-" + movement.number;
}

namespace {

// Semicolons, decimal commas, day/month/year and a byte-order mark: what
// spreadsheets set to Portuguese open as columns of numbers and dates, accents intact.
class CsvWriter : public ExportWriter {
 public:
  CsvWriter(std::string account, std::ostream& out) : account_(std::move(account)), out_(out) {
    out_ << "\xEF\xBB\xBF";
    for (std::size_t i = 0; i < std::size(kCsvColumns); ++i)
      out_ << (i ? ";" : "") << kCsvColumns[i];
    out_ << "\r\n";
  }

  void Add(const ListedMovement& m) override {
    out_ << fmt::format("{};{};{};{};{};{};{};{};{};{}\r\n", Field(account_), Field(m.statement),
                        Field(m.number), BrazilianDate(m.date), Field(m.document), Field(m.history),
                        BrazilianAmount(m.Signed(), false), Field(m.debit_credit), Field(m.status),
                        m.balance ? BrazilianAmount(*m.balance, false) : "");
  }

  void Finish() override { out_.flush(); }

 private:
  static std::string Field(const std::string& text) {
    if (text.find_first_of(";\"\r\n") == std::string::npos)
      return text;
    std::string quoted = "\"";
    for (char c : text)
      quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
  }

  std::string account_;
  std::ostream& out_;
};

std::string OfxDate(const host::Date& date) {
  return fmt::format("{:04}{:02}{:02}", date.year(), date.month(), date.day());
}

std::string OfxAmount(double amount) {
  long long cents = ToCents(amount);
  return fmt::format("{}{}.{:02}", cents < 0 ? "-" : "", std::llabs(cents) / 100,
                     std::llabs(cents) % 100);
}

// SGML text: markup characters escaped, no line breaks, at most `limit` characters.
std::string OfxText(const std::string& text, std::size_t limit) {
  std::string escaped;
  for (char c : host::Utf8Left(text, limit)) {
    switch (c) {
      case '&':
        escaped += "&amp;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      case '\r':
      case '\n':
        escaped += ' ';
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

const char* OfxAccountType(const std::string& kind) {
  if (kind == "L")
    return "SAVINGS";
  if (kind == "G")
    return "CREDITLINE";
  return "CHECKING";
}

// OFX 1.0.2 (SGML), the version Brazilian banks hand out and every importer reads.
class OfxWriter : public ExportWriter {
 public:
  OfxWriter(ExportHeader header, std::ostream& out) : header_(std::move(header)), out_(out) {
    out_ << "OFXHEADER:100\r\nDATA:OFXSGML\r\nVERSION:102\r\nSECURITY:NONE\r\n"
            "ENCODING:UTF-8\r\nCHARSET:NONE\r\nCOMPRESSION:NONE\r\nOLDFILEUID:NONE\r\n"
            "NEWFILEUID:NONE\r\n\r\n";
    out_ << "<OFX>\r\n<SIGNONMSGSRSV1>\r\n<SONRS>\r\n<STATUS>\r\n<CODE>0\r\n<SEVERITY>INFO\r\n"
            "</STATUS>\r\n<DTSERVER>"
         << OfxDate(header_.to) << "\r\n<LANGUAGE>POR\r\n</SONRS>\r\n</SIGNONMSGSRSV1>\r\n";
    out_ << "<BANKMSGSRSV1>\r\n<STMTTRNRS>\r\n<TRNUID>1\r\n<STATUS>\r\n<CODE>0\r\n"
            "<SEVERITY>INFO\r\n</STATUS>\r\n<STMTRS>\r\n<CURDEF>BRL\r\n<BANKACCTFROM>\r\n";
    out_ << fmt::format(
        "<BANKID>{}\r\n<BRANCHID>{}\r\n<ACCTID>{}\r\n<ACCTTYPE>{}\r\n</BANKACCTFROM>\r\n",
        OfxText(header_.bank, 9), OfxText(header_.agency, 22), OfxText(header_.number, 22),
        OfxAccountType(header_.kind));
    out_ << "<BANKTRANLIST>\r\n<DTSTART>" << OfxDate(header_.from) << "\r\n<DTEND>"
         << OfxDate(header_.to) << "\r\n";
  }

  void Add(const ListedMovement& m) override {
    out_ << fmt::format("<STMTTRN>\r\n<TRNTYPE>{}\r\n<DTPOSTED>{}\r\n<TRNAMT>{}\r\n<FITID>{}\r\n",
                        m.debit_credit == "D" ? "DEBIT" : "CREDIT", OfxDate(m.date),
                        OfxAmount(m.Signed()), OfxText(TransactionId(m), 255));
    if (!m.document.empty())
      out_ << "<REFNUM>" << OfxText(m.document, 32) << "\r\n";
    if (!m.history.empty())
      out_ << "<MEMO>" << OfxText(m.history, 255) << "\r\n";
    out_ << "</STMTTRN>\r\n";
  }

  void Finish() override {
    out_ << "</BANKTRANLIST>\r\n";
    if (header_.closing_balance) {
      out_ << "<LEDGERBAL>\r\n<BALAMT>" << OfxAmount(*header_.closing_balance) << "\r\n<DTASOF>"
           << OfxDate(header_.closing_date) << "\r\n</LEDGERBAL>\r\n";
    }
    out_ << "</STMTRS>\r\n</STMTTRNRS>\r\n</BANKMSGSRSV1>\r\n</OFX>\r\n";
    out_.flush();
  }

 private:
  ExportHeader header_;
  std::ostream& out_;
};

}  // namespace

std::unique_ptr<ExportWriter> MakeExportWriter(ExportFormat format, const ExportHeader& header,
                                               std::ostream& out) {
  if (format == ExportFormat::kOfx)
    return std::make_unique<OfxWriter>(header, out);
  return std::make_unique<CsvWriter>(header.account, out);
}

}  // namespace apps
