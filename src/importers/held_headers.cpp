#include "importers/held_headers.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "host/routines.h"
#include "layouts/conversions.h"

namespace importers {

HeldHeaders::HeldHeaders(host::RecordSet& header)
    : header_(header), after_post_(std::move(header.AfterPost)) {
  header_.AfterPost = [this](host::RecordSet& posted) { Keep(posted); };
}

HeldHeaders::~HeldHeaders() {
  header_.AfterPost = std::move(after_post_);
}

host::Variant HeldHeaders::Changes() const {
  return changes_.changes.empty() ? host::Variant() : host::ToJson(changes_);
}

// A post that changed nothing adds nothing, as it would send nothing.
void HeldHeaders::Keep(host::RecordSet& header) {
  if (header.ChangeCount() <= 0)
    return;
  host::ChangeSet delta = header.Delta();
  if (changes_.fields.empty())
    changes_.fields = std::move(delta.fields);
  for (host::Change& change : delta.changes)
    changes_.changes.push_back(std::move(change));
  header.MergeChangeLog();
}

std::optional<host::Packet> HeldHeaders::Inserted(const std::string& account,
                                                  const host::Date& opening) const {
  std::optional<host::Row> found;
  for (const host::Change& change : changes_.changes) {
    const host::Row& row = change.op == host::ChangeOp::kInsert ? change.new_row : change.old_row;
    if (Text(row, "CDREDUCONT") != account)
      continue;
    if (change.op == host::ChangeOp::kInsert) {
      const auto* date = std::get_if<host::Date>(&Value(row, "DTSALDINIC"));
      bool lower = !found || Text(row, "CDSEQUEXTR") < Text(*found, "CDSEQUEXTR");
      if (date && *date == opening && lower)
        found = row;
    } else if (found && Text(row, "CDSEQUEXTR") == Text(*found, "CDSEQUEXTR")) {
      found = change.new_row;
    }
  }
  if (!found)
    return std::nullopt;
  return host::Packet{changes_.fields, {*found}};
}

long long HeldHeaders::HighestCode(const std::string& account) const {
  long long highest = 0;
  for (const host::Change& change : changes_.changes) {
    if (change.op == host::ChangeOp::kInsert && Text(change.new_row, "CDREDUCONT") == account)
      highest = std::max(highest, ToNumberOrZero(Text(change.new_row, "CDSEQUEXTR")));
  }
  return highest;
}

const host::FieldValue& HeldHeaders::Value(const host::Row& row, std::string_view field) const {
  for (std::size_t i = 0; i < changes_.fields.size() && i < row.size(); ++i) {
    if (changes_.fields[i].name == field)
      return row[i];
  }
  throw std::logic_error("statement header without " + std::string(field));
}

std::string HeldHeaders::Text(const host::Row& row, std::string_view field) const {
  const auto* text = std::get_if<std::string>(&Value(row, field));
  return text ? *text : "";
}

}  // namespace importers
