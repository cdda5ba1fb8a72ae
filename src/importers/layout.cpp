#include "importers/layout.h"

#include "host/utf8.h"

namespace importers {

std::string FieldAt(std::string_view line, Column column) {
  return host::Utf8Mid(line, column.position - 1, column.length);
}

std::string Layout::YearText(std::string_view line) const {
  return FieldAt(line, columns_.year);
}

std::optional<std::string> Layout::Indicator(std::string_view line) const {
  return FieldAt(line, columns_.indicator);
}

host::Variant Layout::SubmissionArguments(host::Variant movements, host::Variant header) const {
  return host::Variant::array({std::move(movements), std::move(header)});
}

}  // namespace importers
