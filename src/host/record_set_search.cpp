// Navigation, search and filter over the rows of a record set.
#include <algorithm>

#include <fmt/format.h>

#include "host/exceptions.h"
#include "host/field_value.h"
#include "host/filter_expression.h"
#include "host/packed_row.h"
#include "host/record_set.h"

namespace host {

namespace {

// Each part carries its length, so no text can pass for two parts.
void AppendKeyPart(std::string& key, const FieldValue& value, FieldType type) {
  std::string part = SearchKey(value, type);
  key += std::to_string(part.size());
  key += ':';
  key += part;
}

}  // namespace

void RecordSet::First() {
  RequireBrowse();
  MoveTo(FirstVisibleFrom(0));
}

void RecordSet::Last() {
  RequireBrowse();
  MoveTo(LastVisibleBefore(rows_.size()));
}

void RecordSet::Next() {
  RequireBrowse();
  auto next = current_ ? FirstVisibleFrom(*current_ + 1) : std::nullopt;
  if (next) {
    MoveTo(next);
  } else {
    eof_ = true;  // stays on the last row, as the host framework does
  }
}

bool RecordSet::Eof() const {
  return !current_ || eof_;
}

bool RecordSet::IsEmpty() const {
  return !Active() || !FirstVisibleFrom(0);
}

int RecordSet::RecordCount() const {
  if (!Active())
    return 0;
  if (!filtered_)
    return static_cast<int>(rows_.size());
  return static_cast<int>(
      std::ranges::count_if(rows_, [this](const StoredRow& row) { return Visible(row); }));
}

// Amounts are compared to the cent and texts without regard to letter case: see
// SearchKey.
bool RecordSet::Locate(std::string_view key_fields, const std::vector<FieldValue>& values) {
  RequireBrowse();
  std::vector<std::size_t> keys = KeyFields(key_fields);
  if (keys.size() != values.size()) {
    throw Exception(fmt::format("Pesquisa em '{}' com {} campos e {} valores.", name_, keys.size(),
                                values.size()));
  }
  std::string wanted;
  for (std::size_t k = 0; k < keys.size(); ++k) {
    const FieldDef& def = fields_[keys[k]];
    AppendKeyPart(wanted, ConvertValue(values[k], def.type, def.name), def.type);
  }
  const SearchIndex& index = IndexOn(keys);
  std::optional<std::size_t> first;
  index.rows.ForEachCandidate(std::hash<std::string>{}(wanted), [&](std::size_t row) {
    if ((!first || row < *first) && Visible(rows_[row]) && RowKey(row, keys) == wanted)
      first = row;
  });
  if (!first)
    return false;
  MoveTo(first);
  return true;
}

void RecordSet::SetFilter(std::string expression) {
  std::vector<Condition> conditions;
  for (FilterTerm& term : ParseFilter(expression)) {
    conditions.push_back({RequireField(term.field), std::move(term.value)});
  }
  bool reapply = filtered_ && Active();
  if (reapply)
    RequireBrowse();
  filter_text_ = std::move(expression);
  filter_ = std::move(conditions);
  if (reapply)
    MoveTo(FirstVisibleFrom(0));
}

void RecordSet::SetFiltered(bool filtered) {
  if (filtered == filtered_)
    return;
  if (Active())
    RequireBrowse();
  filtered_ = filtered;
  if (Active())
    MoveTo(FirstVisibleFrom(0));
}

bool RecordSet::Visible(const StoredRow& row) const {
  return !filtered_ || std::ranges::all_of(filter_, [this, &row](const Condition& condition) {
    return ValueText(PackedField(Values(row), condition.field)) == condition.value;
  });
}

std::optional<std::size_t> RecordSet::FirstVisibleFrom(std::size_t index) const {
  for (; index < rows_.size(); ++index) {
    if (Visible(rows_[index]))
      return index;
  }
  return std::nullopt;
}

std::optional<std::size_t> RecordSet::LastVisibleBefore(std::size_t end) const {
  while (end > 0) {
    if (Visible(rows_[--end]))
      return end;
  }
  return std::nullopt;
}

void RecordSet::MoveTo(std::optional<std::size_t> row) {
  current_ = row;
  eof_ = false;
  if (row) {
    UnpackRow(Values(rows_[*row]), current_row_);
  } else {
    current_row_.clear();
  }
}

std::vector<std::size_t> RecordSet::KeyFields(std::string_view key_fields) const {
  std::vector<std::size_t> keys;
  std::size_t start = 0;
  for (;;) {
    std::size_t end = std::min(key_fields.find(';', start), key_fields.size());
    std::string_view name = key_fields.substr(start, end - start);
    while (!name.empty() && name.front() == ' ')
      name.remove_prefix(1);
    while (!name.empty() && name.back() == ' ')
      name.remove_suffix(1);
    keys.push_back(RequireField(name));
    if (end == key_fields.size())
      return keys;
    start = end + 1;
  }
}

const RecordSet::SearchIndex& RecordSet::IndexOn(const std::vector<std::size_t>& fields) {
  if (!index_ || index_->fields != fields)
    index_ = SearchIndex{fields, {}, 0};
  for (; index_->covered < rows_.size(); ++index_->covered) {
    index_->rows.Add(std::hash<std::string>{}(RowKey(index_->covered, fields)), index_->covered);
  }
  return *index_;
}

std::string RecordSet::RowKey(std::size_t row, const std::vector<std::size_t>& fields) const {
  std::string key;
  for (std::size_t field : fields)
    AppendKeyPart(key, PackedField(Values(rows_[row]), field), fields_[field].type);
  return key;
}

}  // namespace host
