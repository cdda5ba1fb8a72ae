#include "layouts/recognise.h"

#include <algorithm>

#include "host/routines.h"
#include "host/utf8.h"
#include "layouts/layouts.h"

namespace importers {

namespace {

// The share of its lines, in tenths, that give a file its width: a trailer cut
// short or a line of notes does not hide what the file is.
constexpr int kMostLinesOutOf10 = 8;

bool Blank(std::string_view line) {
  return host::AllTrim(line).empty();
}

bool OpensStatement(const Layout& row, std::string_view line) {
  return row.line_kind(row, line) == LineKind::kRecord &&
         FieldAt(line, row.columns.kind) == row.kinds.initial_balance &&
         (row.check_record == nullptr || !row.check_record(line, ""));
}

}  // namespace

void LineWidths::Count(std::string_view line) {
  if (Blank(line))
    return;
  ++widths_[host::Utf8Length(line)];
  ++counted_;
}

std::optional<std::size_t> LineWidths::Common() const {
  auto most = std::max_element(widths_.begin(), widths_.end(),
                               [](const auto& a, const auto& b) { return a.second < b.second; });
  if (most == widths_.end() || most->second * 10 < counted_ * kMostLinesOutOf10)
    return std::nullopt;
  return most->first;
}

void FileRecogniser::Read(std::string_view line) {
  ++line_;
  widths_.Count(line);
  if (Blank(line))
    return;
  std::size_t width = host::Utf8Length(line);
  bool bank_read = false;
  bool opening_kept = false;
  for (const Layout& row : Layouts()) {
    if (row.width != width || row.line_kind(row, line) != LineKind::kRecord)
      continue;
    OfWidth& found = of_width_[width];
    if (!bank_read) {
      std::string bank = host::AllTrim(FieldAt(line, row.columns.bank));
      if (std::find(found.banks.begin(), found.banks.end(), bank) == found.banks.end())
        found.banks.push_back(bank);
      bank_read = true;
    }
    if (!opening_kept && OpensStatement(row, line)) {
      found.openings.push_back({line_, std::string(line)});
      opening_kept = true;
    }
  }
}

FileRecognition FileRecogniser::Result() const {
  std::optional<std::size_t> width = widths_.Common();
  auto found = width ? of_width_.find(*width) : of_width_.end();
  if (found == of_width_.end())
    return {};
  return {*width, found->second.banks, found->second.openings};
}

std::vector<StatementAccount> StatementAccounts(const Layout& layout, const FileRecognition& file,
                                                std::string_view mask) {
  std::vector<StatementAccount> accounts;
  if (layout.width != file.width)
    return accounts;
  for (const StatementOpening& opening : file.openings) {
    if (OpensStatement(layout, opening.text)) {
      accounts.push_back({opening.line, layout.agency(layout, opening.text),
                          layout.account(layout, opening.text, mask)});
    }
  }
  return accounts;
}

}  // namespace importers
