#ifndef EXTRATO_LAYOUTS_RECOGNISE_H_
#define EXTRATO_LAYOUTS_RECOGNISE_H_

// What a statement file says of itself before anyone names its bank: the width of
// its records, the bank code they carry and the lines that open its statements.
// It reads the layout table, so a row added there is recognised too.

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "layouts/layout.h"

namespace importers {

// The width most of a file's lines have.
class LineWidths {
 public:
  // Blank lines tell nothing and are not counted.
  void Count(std::string_view line);
  // The width of eight in ten of the lines counted; nothing otherwise.
  std::optional<std::size_t> Common() const;

 private:
  std::map<std::size_t, int> widths_;
  int counted_ = 0;
};

// A line that opens a statement under some row of the file's width.
struct StatementOpening {
  std::size_t line;  // 1-based
  std::string text;
};

struct FileRecognition {
  // The records' width, that of some row of the table; 0 when the lines have none.
  std::size_t width = 0;
  // The bank codes the records carry, trimmed, in the order first read; an empty
  // one for records that carry none.
  std::vector<std::string> banks;
  std::vector<StatementOpening> openings;
};

// Reads a file's lines in order, keeping only what recognition needs.
class FileRecogniser {
 public:
  void Read(std::string_view line);
  FileRecognition Result() const;

 private:
  struct OfWidth {
    std::vector<std::string> banks;
    std::vector<StatementOpening> openings;
  };
  LineWidths widths_;
  std::map<std::size_t, OfWidth> of_width_;
  std::size_t line_ = 0;
};

// An account as the layout looks it up for a statement of the file.
struct StatementAccount {
  std::size_t line;
  std::string agency;
  std::string account;  // cut to the places of the bank's account mask
};

// The statements `layout` reads in the file, with the account each is booked to.
std::vector<StatementAccount> StatementAccounts(const Layout& layout, const FileRecognition& file,
                                                std::string_view mask);

}  // namespace importers

#endif  // EXTRATO_LAYOUTS_RECOGNISE_H_
