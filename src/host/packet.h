#ifndef EXTRATO_HOST_PACKET_H_
#define EXTRATO_HOST_PACKET_H_

// The wire types of record sets: their rows and their pending changes, and the
// JSON they travel as between the screen and the application server.

#include <functional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include <nlohmann/json.hpp>

#include "host/date.h"

namespace host {

enum class FieldType { kText, kDate, kFloat };

struct FieldDef {
  std::string name;
  FieldType type = FieldType::kText;
  int size = 0;  // maximum length of a text field; 0 for the other types
};

// A field's value; std::monostate is null.
using FieldValue = std::variant<std::monostate, std::string, Date, double>;
using Row = std::vector<FieldValue>;

// The position of field `name` among `fields`; their count when there is none.
std::size_t FieldIndex(const std::vector<FieldDef>& fields, std::string_view name);

// All rows of a record set, as exchanged with the server.
struct Packet {
  std::vector<FieldDef> fields;
  std::vector<Row> rows;
};

enum class ChangeOp { kInsert, kModify, kDelete };

struct Change {
  ChangeOp op = ChangeOp::kInsert;
  Row old_row;  // kModify, kDelete
  Row new_row;  // kInsert, kModify
};

// The pending changes of a record set since its last merge.
struct ChangeSet {
  std::vector<FieldDef> fields;
  std::vector<Change> changes;

  // Visits every change in order; storage writers and encoders are handlers.
  class Handler {
   public:
    virtual ~Handler() = default;
    virtual void Insert(const Row& new_row) = 0;
    virtual void Modify(const Row& old_row, const Row& new_row) = 0;
    virtual void Delete(const Row& old_row) = 0;
  };
  void Iterate(Handler& handler) const;
};

// JSON wire form: {"fields": [["NAME","text",3], ...], "rows": [[...], ...]} and
// {"fields": [...], "changes": [{"op": "insert", "new": [...]}, ...]}.
// Dates travel as "YYYY-MM-DD", amounts as numbers, null as null.
nlohmann::json ToJson(const Packet& packet);
nlohmann::json ToJson(const ChangeSet& change_set);
class RecordSet;
// Writes every row of the record set as the text of a packet, a row at a time, so
// that a large set is never copied whole.
void WritePacket(const RecordSet& record_set, const std::function<void(std::string_view)>& write);
// These throw host::EConvertError on a malformed value.
Packet PacketFromJson(const nlohmann::json& json);
ChangeSet ChangeSetFromJson(const nlohmann::json& json);
nlohmann::json FieldValueToJson(const FieldValue& value);
FieldValue FieldValueFromJson(const nlohmann::json& json, FieldType type);
// The same for a JSON text or number read on its own, into `into` (a text it holds
// is reused, `text` may be moved from); false when a field of `type` takes no such
// value, which FieldValueFromJson words.
bool FieldValueFromText(FieldValue& into, FieldType type, std::string& text);
bool FieldValueFromNumber(FieldValue& into, FieldType type, double number);

}  // namespace host

#endif  // EXTRATO_HOST_PACKET_H_
