#ifndef EXTRATO_LAYOUTS_STATEMENT_WRITER_H_
#define EXTRATO_LAYOUTS_STATEMENT_WRITER_H_

// Writes statement lines of every layout of the table, where each layout keeps its
// fields, as the banks fill them: for the example files, the generator and the
// tests. Header-only: the screen module reads statements and never writes one.
// Texts are ASCII; positions are 1-based.

#include <cstddef>
#include <string>
#include <string_view>

#include <fmt/format.h>

#include "layouts/layout.h"

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
  FixedLine& Put(Column column, std::string_view text) {
    return Put(column.position, column.length, text);
  }
  // Zero-filled on the left.
  FixedLine& Number(std::size_t position, std::size_t length, long long value) {
    return Put(position, length, fmt::format("{:0{}}", value, length));
  }
  const std::string& str() const { return text_; }

 private:
  std::string text_;
};

// One record of a statement file.
struct Record {
  // The layout's kind: '0' initial balance, '1' movement, '2' final balance in the
  // 200-column layouts; '0' file header, '1' batch header, '3' detail, '5' batch
  // trailer, '9' file trailer in the 240-column ones.
  char kind = '1';
  std::string date;             // day, month and year as wide as the layout's columns
  long long cents = 0;          // unsigned amount
  std::string indicator = "C";  // blank for the category fallback of some layouts
  std::string document;
  std::string history;
  std::string category;
  std::string agency;
  std::string account;  // as written at the layout's account column
  std::string bank;
  long long sequence = 1;  // 200 columns: of the line in the file; 240: of a detail in its batch
  int batch = 1;
  std::string operation = "E";                   // of a batch header
  std::string company = "EMPRESA EXEMPLO LTDA";  // of the 240-column file and batch headers
};

// The date written over the day, month and year columns, which follow each other.
inline Column DateColumn(const Layout& layout) {
  const Columns& c = layout.columns;
  return {c.day.position, c.day.length + c.month.length + c.year.length};
}

inline std::string Line200(const Layout& layout, const Record& r) {
  const Columns& c = layout.columns;
  FixedLine line(layout.width);
  line.Put(1, 1, "1")
      .Put(c.agency, r.agency)
      .Put(c.account, r.account)
      .Put(c.kind, std::string(1, r.kind))
      .Put(c.category, r.category)
      .Put(c.history, r.history)
      .Put(c.document, r.document)
      .Put(DateColumn(layout), r.date)
      .Number(c.whole.position, c.whole.length + c.decimals.length, r.cents)
      .Put(c.indicator, r.indicator)
      .Put(c.bank, r.bank)
      .Number(195, 6, r.sequence);
  return line.str();
}

inline std::string Line240(const Layout& layout, const Record& r) {
  const Columns& c = layout.columns;
  FixedLine line(layout.width);
  line.Put(c.bank, r.bank).Put(c.kind, std::string(1, r.kind));
  if (r.kind == '0' || r.kind == '1')
    line.Put(73, 30, r.company);
  if (r.kind == '0' || r.kind == '9') {
    line.Number(4, 4, r.kind == '0' ? 0 : 9999);
    return line.str();
  }
  line.Number(4, 4, r.batch).Put(c.agency, r.agency).Put(c.account, r.account);
  if (r.kind == '1')
    line.Put(9, 1, r.operation).Put(10, 2, "04").Put(12, 2, "40");
  if (r.kind == '3')
    line.Number(9, 5, r.sequence).Put(14, 1, "E");
  line.Put(DateColumn(layout), r.date)
      .Number(c.whole.position, c.whole.length + c.decimals.length, r.cents)
      .Put(c.indicator, r.indicator);
  line.Put(c.category, r.category).Put(c.history, r.history).Put(c.document, r.document);
  return line.str();
}

inline std::string Line(const Layout& layout, const Record& r) {
  return layout.width == 200 ? Line200(layout, r) : Line240(layout, r);
}

// The first and last lines of a 200-column file.
inline std::string FileHeader200(std::string_view bank, std::string_view bank_name,
                                 std::string_view company, std::string_view date_ddmmyy) {
  FixedLine line(200);
  line.Put(1, 1, "0").Put(10, 2, "04").Put(12, 15, "EXTRATO C/C").Put(27, 40, company);
  line.Put(71, 3, bank).Put(74, 15, bank_name).Put(89, 6, date_ddmmyy);
  line.Put(192, 3, bank).Number(195, 6, 1);
  return line.str();
}

inline std::string Trailer200(std::string_view bank, long long debits_cents,
                              long long credits_cents, long long sequence) {
  FixedLine line(200);
  line.Put(1, 1, "9").Number(27, 18, debits_cents).Number(45, 18, credits_cents);
  line.Put(192, 3, bank).Number(195, 6, sequence);
  return line.str();
}

}  // namespace importers::writer

#endif  // EXTRATO_LAYOUTS_STATEMENT_WRITER_H_
