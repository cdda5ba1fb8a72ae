// The record-set engine: contents, the insert/edit cycle and the change log.
//
// The change log is not a list of events: each row keeps its values at the last
// merge (none for a row inserted since), and deleted rows leave those values
// behind. The pending changes are the difference, so an insert edited again is
// one insert, and an edit that restores the merged values is no change at all.
#include "host/record_set.h"

#include <algorithm>
#include <cctype>

#include <fmt/format.h>

#include "host/exceptions.h"
#include "host/field_value.h"
#include "host/packed_row.h"
#include "host/utf8.h"

namespace host {

namespace {

// Field names follow the host framework: letter case does not matter.
bool SameName(std::string_view a, std::string_view b) {
  return std::ranges::equal(a, b, [](char x, char y) {
    return std::toupper(static_cast<unsigned char>(x)) ==
           std::toupper(static_cast<unsigned char>(y));
  });
}

const char* TypeLabel(FieldType type) {
  switch (type) {
    case FieldType::kText:
      return "texto";
    case FieldType::kDate:
      return "data";
    case FieldType::kFloat:
      return "número";
  }
  return "texto";
}

}  // namespace

RecordSet::RecordSet(std::string name, std::vector<FieldDef> fields)
    : name_(std::move(name)), fields_(std::move(fields)) {}

void RecordSet::CreateDataSet() {
  Reset(State::kBrowse);
}

void RecordSet::Close() {
  Reset(State::kInactive);
}

void RecordSet::LoadPacket(const Packet& packet) {
  // Built aside first, so that a bad packet leaves the old contents as they were.
  std::vector<std::size_t> columns = PacketColumns(packet);
  PackedStore store;
  std::vector<StoredRow> rows;
  rows.reserve(packet.rows.size());
  for (const Row& in : packet.rows) {
    if (in.size() != packet.fields.size()) {
      throw EConvertError(fmt::format("Pacote de '{}' com uma linha de {} valores para {} campos.",
                                      name_, in.size(), packet.fields.size()));
    }
    Row values;
    values.reserve(fields_.size());
    for (std::size_t i = 0; i < fields_.size(); ++i)
      values.push_back(Fit(i, in[columns[i]]));
    PackedRow packed = PackRow(values);
    rows.push_back({store.Add(packed), std::make_unique<std::string>(std::move(packed))});
  }
  Reset(State::kBrowse);
  store_ = std::move(store);
  rows_ = std::move(rows);
  MoveTo(FirstVisibleFrom(0));
}

void RecordSet::EmptyDataSet() {
  RequireActive();
  DropBuffer();
  for (auto& row : rows_) {
    if (row.original)
      deleted_.push_back(std::move(*row.original));
  }
  rows_.clear();
  store_.Clear();
  index_.reset();
  MoveTo(std::nullopt);
}

void RecordSet::Append() {
  RequireBrowse();
  buffer_.assign(fields_.size(), std::monostate{});
  state_ = State::kInsert;
}

void RecordSet::Edit() {
  RequireActive();
  if (state_ != State::kBrowse)
    return;
  if (!current_)
    throw Exception(fmt::format("Não há registro para editar em '{}'.", name_));
  buffer_ = current_row_;
  state_ = State::kEdit;
}

void RecordSet::Post() {
  RequireActive();
  if (state_ == State::kBrowse)
    return;
  if (BeforePost)
    BeforePost(*this);
  if (state_ == State::kInsert) {
    rows_.push_back({store_.Add(buffer_), nullptr});
    current_ = rows_.size() - 1;
  } else if (state_ == State::kEdit) {
    rows_[*current_].values = store_.Add(buffer_);
    index_.reset();
  } else {
    return;  // BeforePost ended the insert or edit itself
  }
  // The row as posted is the row as stored: no need to unpack it again.
  current_row_.swap(buffer_);
  eof_ = false;
  DropBuffer();
  if (AfterPost)
    AfterPost(*this);
}

void RecordSet::Cancel() {
  DropBuffer();
}

void RecordSet::Delete() {
  RequireActive();
  bool inserting = state_ == State::kInsert;
  DropBuffer();
  if (inserting)
    return;  // deleting a row not yet posted only drops it
  if (!current_)
    throw Exception(fmt::format("Não há registro para excluir em '{}'.", name_));
  std::size_t index = *current_;
  if (rows_[index].original)
    deleted_.push_back(std::move(*rows_[index].original));
  rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(index));
  index_.reset();
  auto next = FirstVisibleFrom(index);
  MoveTo(next ? next : LastVisibleBefore(index));
}

Field RecordSet::FieldByName(std::string_view name) {
  return Field(this, RequireField(name));
}

std::optional<std::size_t> RecordSet::FindField(std::string_view name) const {
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    if (SameName(fields_[i].name, name))
      return i;
  }
  return std::nullopt;
}

int RecordSet::ChangeCount() const {
  auto pending = std::ranges::count_if(rows_, [this](const StoredRow& row) {
    return !row.original || Values(row) != *row.original;
  });
  return static_cast<int>(pending + std::ssize(deleted_));
}

ChangeSet RecordSet::Delta() const {
  // Deletions first, so that a key they free can be taken by a later insert or modify.
  ChangeSet delta{fields_, {}};
  for (const PackedRow& old_row : deleted_)
    delta.changes.push_back({ChangeOp::kDelete, UnpackRow(old_row), {}});
  for (const StoredRow& row : rows_) {
    if (!row.original) {
      delta.changes.push_back({ChangeOp::kInsert, {}, UnpackRow(Values(row))});
    } else if (Values(row) != *row.original) {
      delta.changes.push_back(
          {ChangeOp::kModify, UnpackRow(*row.original), UnpackRow(Values(row))});
    }
  }
  return delta;
}

void RecordSet::MergeChangeLog() {
  for (auto& row : rows_)
    row.original = std::make_unique<std::string>(Values(row));
  deleted_.clear();
}

Packet RecordSet::Data() const {
  Packet packet{fields_, {}};
  packet.rows.reserve(rows_.size());
  for (const StoredRow& row : rows_)
    packet.rows.push_back(UnpackRow(Values(row)));
  return packet;
}

void RecordSet::ForEachRow(const std::function<void(const Row&)>& visit) const {
  Row row;
  for (const StoredRow& stored : rows_) {
    UnpackRow(Values(stored), row);
    visit(row);
  }
}

void RecordSet::RequireActive() const {
  if (!Active())
    throw Exception(fmt::format("'{}' não está aberto.", name_));
}

void RecordSet::RequireBrowse() const {
  RequireActive();
  if (state_ != State::kBrowse) {
    throw Exception(fmt::format(
        "Há um registro em edição ou inserção em '{}': grave-o ou cancele-o antes.", name_));
  }
}

void RecordSet::RequireEditing() const {
  if (state_ != State::kInsert && state_ != State::kEdit) {
    throw Exception(fmt::format("Registro de '{}' não está em modo de edição ou inserção.", name_));
  }
}

std::size_t RecordSet::RequireField(std::string_view name) const {
  if (auto index = FindField(name))
    return *index;
  throw Exception(fmt::format("Campo '{}' não encontrado em '{}'.", name, name_));
}

const FieldValue& RecordSet::CurrentValue(std::size_t index) const {
  static const FieldValue kNull;
  if (state_ == State::kInsert || state_ == State::kEdit)
    return buffer_[index];
  if (Active() && current_)
    return current_row_[index];
  return kNull;
}

void RecordSet::Assign(std::size_t index, FieldValue value) {
  RequireEditing();
  buffer_[index] = Fit(index, value);
}

FieldValue RecordSet::Fit(std::size_t index, const FieldValue& value) const {
  const FieldDef& def = fields_[index];
  FieldValue fitted = ConvertValue(value, def.type, def.name);
  auto* text = std::get_if<std::string>(&fitted);
  if (text && def.size > 0 && Utf8Length(*text) > static_cast<std::size_t>(def.size)) {
    *text = Utf8Left(*text, static_cast<std::size_t>(def.size));
  }
  return fitted;
}

std::vector<std::size_t> RecordSet::PacketColumns(const Packet& packet) const {
  std::vector<std::size_t> columns;
  for (const FieldDef& def : fields_) {
    // Packets mostly come with the set's own field list: a lookup per movement
    // would otherwise compare every pair of names.
    std::size_t same_place = columns.size();
    auto found = same_place < packet.fields.size() && packet.fields[same_place].name == def.name
                     ? packet.fields.begin() + static_cast<std::ptrdiff_t>(same_place)
                     : std::ranges::find_if(packet.fields, [&](const FieldDef& column) {
                         return SameName(column.name, def.name);
                       });
    if (found == packet.fields.end()) {
      throw EConvertError(fmt::format("Pacote de '{}' sem o campo '{}'.", name_, def.name));
    }
    if (found->type != def.type) {
      throw EConvertError(fmt::format("Campo '{}' do pacote de '{}' é do tipo {}; esperado {}.",
                                      def.name, name_, TypeLabel(found->type),
                                      TypeLabel(def.type)));
    }
    columns.push_back(static_cast<std::size_t>(found - packet.fields.begin()));
  }
  return columns;
}

void RecordSet::Reset(State state) {
  DropBuffer();
  rows_.clear();
  store_.Clear();
  deleted_.clear();
  index_.reset();
  state_ = state;
  MoveTo(std::nullopt);
}

void RecordSet::DropBuffer() {
  buffer_.clear();
  if (state_ == State::kInsert || state_ == State::kEdit)
    state_ = State::kBrowse;
}

}  // namespace host
