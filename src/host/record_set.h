#ifndef EXTRATO_HOST_RECORD_SET_H_
#define EXTRATO_HOST_RECORD_SET_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include <nlohmann/json.hpp>

#include "host/date.h"
#include "host/key_index.h"
#include "host/packed_row.h"
#include "host/packet.h"

namespace host {

class RecordSet;

// One field of the current row of a record set.
class Field {
 public:
  Field(RecordSet* owner, std::size_t index) : owner_(owner), index_(index) {}

  const std::string& FieldName() const;
  FieldType DataType() const;
  int Size() const;
  bool IsNull() const;
  const FieldValue& Value() const;

  // Null reads as "", 0 and the zero date.
  std::string AsString() const;
  double AsFloat() const;
  Date AsDateTime() const;

  // Writing needs the record set in insert or edit state. A text longer than the
  // field is cut to the field's size.
  void SetValue(FieldValue value);
  void SetAsString(std::string_view text);
  void SetAsFloat(double value);
  void SetAsDateTime(const Date& value);
  void Clear();

 private:
  RecordSet* owner_;
  std::size_t index_;
};

// In-memory table with typed fields, a current row, a change log, search and filter.
class RecordSet {
 public:
  enum class State { kInactive, kBrowse, kInsert, kEdit };
  using Event = std::function<void(RecordSet&)>;

  RecordSet(std::string name, std::vector<FieldDef> fields);

  const std::string& Name() const { return name_; }
  const std::vector<FieldDef>& FieldDefs() const { return fields_; }
  State GetState() const { return state_; }
  bool Active() const { return state_ != State::kInactive; }

  // Creates the record set empty with its field list.
  void CreateDataSet();
  // Drops the contents and the change log.
  void Close();
  // Replaces the contents with a packet (fields matched by name); the change log
  // starts empty.
  void LoadPacket(const Packet& packet);
  // Deletes every row; the deletions of rows the server holds are logged.
  void EmptyDataSet();

  // The row cycle. Append, navigation, search and filter changes need Browse state
  // (a pending insert or edit is posted or cancelled first, never implied).
  void Append();  // starts an insert of a new row at the end
  void Edit();    // starts editing the current row; there must be one
  // Runs BeforePost, stores the row, leaves Browse state, then runs AfterPost. A
  // throwing BeforePost leaves the insert or edit as it was; a throwing AfterPost
  // leaves the row posted and its change pending.
  void Post();
  void Cancel();  // drops the insert or edit
  void Delete();  // deletes the current row; during an insert, drops the new row

  Field FieldByName(std::string_view name);
  std::optional<std::size_t> FindField(std::string_view name) const;

  // Navigation over the visible rows (all rows, or the filtered ones).
  void First();
  void Last();
  void Next();
  bool Eof() const;
  bool IsEmpty() const;
  int RecordCount() const;

  // Finds the first visible row whose fields (names separated by ";") equal the
  // values; texts compare without regard to letter case, amounts to the cent.
  // Moves to it when found; a miss stays where it was.
  bool Locate(std::string_view key_fields, const std::vector<FieldValue>& values);

  // "FIELD = 'value' AND FIELD = 'value'"; a quote inside a value is doubled, and a
  // field matches when its text form is the value. Throws host::Exception on an
  // expression it cannot read, keeping the previous one. Setting a filter or
  // switching it moves to the first visible row.
  void SetFilter(std::string expression);
  const std::string& Filter() const { return filter_text_; }
  void SetFiltered(bool filtered);
  bool Filtered() const { return filtered_; }

  // Change log.
  int ChangeCount() const;
  ChangeSet Delta() const;
  void MergeChangeLog();
  Packet Data() const;  // every row
  // Visits every row in order without copying them all; the row is valid only
  // during the visit.
  void ForEachRow(const std::function<void(const Row&)>& visit) const;

  Event BeforePost;
  Event AfterPost;

 private:
  friend class Field;
  // Rows are kept packed (see packed_row.h), their bytes one after another in large
  // blocks: a set of many rows costs little more than its values. An edited row's
  // bytes are placed anew; the old ones stay until the set is emptied.
  struct StoredRow {
    PackedStore::Place values;
    std::unique_ptr<std::string> original;  // at the last merge; none for a row inserted since
  };
  struct Condition {
    std::size_t field;
    std::string value;
  };
  // Rows by their search key on one field list, so that repeated searches on the
  // same fields cost no scan. Appended rows join it at the next search; any other
  // change to the rows drops it.
  struct SearchIndex {
    std::vector<std::size_t> fields;
    KeyIndex rows;
    std::size_t covered = 0;  // rows_[0, covered) are in it
  };

  void RequireActive() const;
  void RequireBrowse() const;
  void RequireEditing() const;
  std::size_t RequireField(std::string_view name) const;
  const FieldValue& CurrentValue(std::size_t index) const;
  void Assign(std::size_t index, FieldValue value);
  FieldValue Fit(std::size_t index, const FieldValue& value) const;
  std::vector<std::size_t> PacketColumns(const Packet& packet) const;
  void Reset(State state);
  void DropBuffer();

  bool Visible(const StoredRow& row) const;
  std::optional<std::size_t> FirstVisibleFrom(std::size_t index) const;
  std::optional<std::size_t> LastVisibleBefore(std::size_t end) const;
  void MoveTo(std::optional<std::size_t> row);
  std::vector<std::size_t> KeyFields(std::string_view key_fields) const;
  const SearchIndex& IndexOn(const std::vector<std::size_t>& fields);
  std::string RowKey(std::size_t row, const std::vector<std::size_t>& fields) const;

  std::string name_;
  std::vector<FieldDef> fields_;
  State state_ = State::kInactive;
  std::string_view Values(const StoredRow& row) const { return store_.At(row.values); }

  PackedStore store_;
  std::vector<StoredRow> rows_;       // in insertion order
  std::vector<std::string> deleted_;  // originals of deleted rows, pending in the change log
  std::optional<std::size_t> current_;
  Row current_row_;   // the current row unpacked
  bool eof_ = false;  // a Next found no further row
  Row buffer_;        // the row being inserted or edited
  std::string filter_text_;
  std::vector<Condition> filter_;
  bool filtered_ = false;
  std::optional<SearchIndex> index_;
};

}  // namespace host

#endif  // EXTRATO_HOST_RECORD_SET_H_
