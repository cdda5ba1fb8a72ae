#include "layouts/layout.h"

#include <algorithm>

#include "host/routines.h"
#include "host/utf8.h"

namespace importers {

std::string FieldAt(std::string_view line, Column column) {
  return host::Utf8Mid(line, column.position - 1, column.length);
}

Record ReadRecord(const Layout& layout, std::string_view line) {
  const Columns& columns = layout.columns;
  Record record;
  record.bank = host::AllTrim(FieldAt(line, columns.bank));
  record.kind = FieldAt(line, columns.kind);
  record.day = FieldAt(line, columns.day);
  record.month = FieldAt(line, columns.month);
  record.year = FieldAt(line, columns.year);
  if (layout.year)
    record.year = layout.year(record.year);
  record.whole = FieldAt(line, columns.whole);
  record.decimals = FieldAt(line, columns.decimals);
  record.indicator =
      layout.indicator ? layout.indicator(layout, line) : FieldAt(line, columns.indicator);
  record.document = FieldAt(line, columns.document);
  if (layout.document)
    record.document = layout.document(record.document);
  record.history = FieldAt(line, columns.history);
  record.category = FieldAt(line, columns.category);
  return record;
}

int MaskPlaces(std::string_view mask) {
  return static_cast<int>(host::Utf8Length(mask)) -
         static_cast<int>(std::count(mask.begin(), mask.end(), '-'));
}

std::string TrimmedAgency(const Layout& layout, std::string_view line) {
  return host::AllTrim(FieldAt(line, layout.columns.agency));
}

std::string TrimmedAccount(const Layout& layout, std::string_view line, std::string_view mask) {
  return host::Right(host::AllTrim(FieldAt(line, layout.columns.account)), MaskPlaces(mask));
}

}  // namespace importers
