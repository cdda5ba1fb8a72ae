#ifndef EXTRATO_IMPORTERS_STATEMENT_WRITER_H_
#define EXTRATO_IMPORTERS_STATEMENT_WRITER_H_

// Writes statement lines of the two layouts, as the banks fill them, for the
// example files, the generator and the tests. Header-only: the screen module
// reads statements and never writes one. Texts are ASCII; positions are 1-based.

#include <cstddef>
#include <string>
#include <string_view>

#include <fmt/format.h>

namespace importers::writer {

// A line of blanks with texts put at positions; a text longer than its field is
// cut, a shorter one is left-aligned.
class FixedLine {
 public:
  explicit FixedLine(std::size_t width) : text_(width, ' ') {}
  FixedLine& Put(std::size_t position, std::size_t length, std::string_view text) {
    text_.replace(position - 1, length, fmt::format("{:<{}.{}}", text, length, length));
    return *this;
  }
  // Zero-filled on the left.
  FixedLine& Number(std::size_t position, std::size_t length, long long value) {
    return Put(position, length, fmt::format("{:0{}}", value, length));
  }
  const std::string& str() const { return text_; }

 private:
  std::string text_;
};

// One record of a Bradesco 200-column statement.
struct BradescoRecord {
  char kind = '1';       // '0' initial balance, '1' movement, '2' final balance
  std::string date;      // ddmmyy
  long long cents = 0;   // unsigned amount
  char indicator = 'C';  // 'D' or 'C'
  std::string document;  // up to 6 characters
  std::string history;   // up to 25 characters
  std::string category;  // up to 3 characters
  std::string agency = "3509";
  std::string account = "0000125668";  // ten characters, check digit last
  std::string bank = "237";
  long long sequence = 1;  // line number within the file
};

inline std::string BradescoLine(const BradescoRecord& r) {
  FixedLine line(200);
  line.Put(1, 1, "1")
      .Put(18, 4, r.agency)
      .Put(32, 10, r.account)
      .Put(42, 1, std::string(1, r.kind))
      .Put(43, 3, r.category)
      .Put(50, 25, r.history)
      .Put(75, 6, r.document)
      .Put(81, 6, r.date)
      .Number(87, 18, r.cents)
      .Put(105, 1, std::string(1, r.indicator))
      .Put(192, 3, r.bank)
      .Number(195, 6, r.sequence);
  return line.str();
}

inline std::string BradescoFileHeader(std::string_view company, std::string_view date_ddmmyy) {
  FixedLine line(200);
  line.Put(1, 1, "0").Put(10, 2, "04").Put(12, 15, "EXTRATO C/C").Put(27, 40, company);
  line.Put(71, 3, "237").Put(74, 15, "BRADESCO S/A").Put(89, 6, date_ddmmyy);
  line.Put(192, 3, "237").Number(195, 6, 1);
  return line.str();
}

inline std::string BradescoTrailer(long long debits_cents, long long credits_cents,
                                   long long sequence) {
  FixedLine line(200);
  line.Put(1, 1, "9").Number(27, 18, debits_cents).Number(45, 18, credits_cents);
  line.Put(192, 3, "237").Number(195, 6, sequence);
  return line.str();
}

// One record of a FEBRABAN 240-column statement.
struct FebrabanRecord {
  char kind =
      '3';  // '0' file header, '1' batch header, '3' detail, '5' batch trailer, '9' file trailer
  std::string bank = "001";
  int batch = 1;
  int sequence = 1;             // of a detail within its batch
  std::string operation = "E";  // of a batch header
  std::string agency = "0679";
  std::string account = "0000027267110";         // from column 59: number and check characters
  std::string date;                              // ddmmyyyy
  long long cents = 0;                           // unsigned amount
  std::string indicator = "C";                   // column 169; blank for the category fallback
  std::string category;                          // columns 170-172
  std::string history;                           // up to 25 characters
  std::string document;                          // up to 20 characters
  std::string company = "EMPRESA EXEMPLO LTDA";  // of the file and batch headers
};

inline std::string FebrabanLine(const FebrabanRecord& r) {
  FixedLine line(240);
  line.Put(1, 3, r.bank).Put(8, 1, std::string(1, r.kind));
  if (r.kind == '0' || r.kind == '1')
    line.Put(73, 30, r.company);
  if (r.kind == '0' || r.kind == '9') {
    line.Number(4, 4, r.kind == '0' ? 0 : 9999);
    return line.str();
  }
  line.Number(4, 4, r.batch).Put(54, 4, r.agency).Put(59, 14, r.account);
  if (r.kind == '1')
    line.Put(9, 1, r.operation).Put(10, 2, "04").Put(12, 2, "40");
  if (r.kind == '3')
    line.Number(9, 5, r.sequence).Put(14, 1, "E");
  line.Put(143, 8, r.date).Number(151, 18, r.cents).Put(169, 1, r.indicator);
  line.Put(170, 3, r.category).Put(177, 25, r.history).Put(202, 20, r.document);
  return line.str();
}

}  // namespace importers::writer

#endif  // EXTRATO_IMPORTERS_STATEMENT_WRITER_H_
