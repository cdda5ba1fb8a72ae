// Wire form of packets and change sets.
#include "host/packet.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include <fmt/format.h>

#include "host/exceptions.h"
#include "host/record_set.h"
#include "host/utf8.h"

namespace host {

namespace {

using nlohmann::json;

constexpr long long kMaxFieldSize = 1 << 20;

const char* TypeName(FieldType type) {
  switch (type) {
    case FieldType::kText:
      return "text";
    case FieldType::kDate:
      return "date";
    case FieldType::kFloat:
      return "float";
  }
  return "text";
}

FieldType TypeFromName(const std::string& name) {
  if (name == "text")
    return FieldType::kText;
  if (name == "date")
    return FieldType::kDate;
  if (name == "float")
    return FieldType::kFloat;
  throw EConvertError(fmt::format("Tipo de campo desconhecido: '{}'.", name));
}

json FieldsToJson(const std::vector<FieldDef>& fields) {
  json out = json::array();
  for (const auto& f : fields)
    out.push_back(json::array({f.name, TypeName(f.type), f.size}));
  return out;
}

std::vector<FieldDef> FieldsFromJson(const json& in) {
  if (!in.is_array())
    throw EConvertError("Lista de campos inválida.");
  std::vector<FieldDef> fields;
  for (const auto& f : in) {
    if (!f.is_array() || f.size() != 3 || !f[0].is_string() || !f[1].is_string() ||
        !f[2].is_number_integer() || f[2].get<long long>() < 0 ||
        f[2].get<long long>() > kMaxFieldSize) {
      throw EConvertError("Definição de campo inválida.");
    }
    fields.push_back(
        {f[0].get<std::string>(), TypeFromName(f[1].get<std::string>()), f[2].get<int>()});
  }
  return fields;
}

json RowToJson(const Row& row) {
  json out = json::array();
  for (const auto& value : row)
    out.push_back(FieldValueToJson(value));
  return out;
}

Row RowFromJson(const json& in, const std::vector<FieldDef>& fields) {
  if (!in.is_array() || in.size() != fields.size()) {
    throw EConvertError("Linha com número de valores diferente do número de campos.");
  }
  Row row;
  row.reserve(fields.size());
  for (std::size_t i = 0; i < fields.size(); ++i) {
    row.push_back(FieldValueFromJson(in[i], fields[i].type));
  }
  return row;
}

// A text as its JSON string, as the library writes it: quote, backslash and control
// characters escaped, the rest as it is. Text that is not UTF-8 goes to the library,
// which refuses it.
void AppendJsonText(std::string& out, const std::string& text) {
  if (!IsValidUtf8(text)) {
    out += json(text).dump();
    return;
  }
  out += '"';
  for (char c : text) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\b':
        out += "\\b";
        break;
      case '\f':
        out += "\\f";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20)
          fmt::format_to(std::back_inserter(out), "\\u{:04x}", static_cast<unsigned char>(c));
        else
          out += c;
    }
  }
  out += '"';
}

// The row as the JSON array RowToJson would dump, written straight.
void AppendJsonRow(std::string& out, const Row& row) {
  struct Visitor {
    std::string& out;
    void operator()(std::monostate) const { out += "null"; }
    void operator()(const std::string& text) const { AppendJsonText(out, text); }
    void operator()(const Date& date) const {
      out += '"';
      out += date.ToIso();
      out += '"';
    }
    void operator()(double amount) const {
      if (std::isfinite(amount))
        fmt::format_to(std::back_inserter(out), "{}", amount);
      else
        out += "null";
    }
  };
  out += '[';
  for (std::size_t i = 0; i < row.size(); ++i) {
    if (i)
      out += ',';
    std::visit(Visitor{out}, row[i]);
  }
  out += ']';
}

}  // namespace

std::size_t FieldIndex(const std::vector<FieldDef>& fields, std::string_view name) {
  auto field =
      std::find_if(fields.begin(), fields.end(), [&](const FieldDef& f) { return f.name == name; });
  return static_cast<std::size_t>(field - fields.begin());
}

json FieldValueToJson(const FieldValue& value) {
  struct Visitor {
    json operator()(std::monostate) const { return nullptr; }
    json operator()(const std::string& s) const { return s; }
    json operator()(const Date& d) const { return d.ToIso(); }
    json operator()(double d) const { return d; }
  };
  return std::visit(Visitor{}, value);
}

bool FieldValueFromText(FieldValue& into, FieldType type, std::string& text) {
  if (type == FieldType::kText) {
    if (auto* kept = std::get_if<std::string>(&into))
      kept->assign(text);
    else
      into = std::move(text);
    return true;
  }
  if (type == FieldType::kDate) {
    if (auto date = Date::FromIso(text)) {
      into = *date;
      return true;
    }
  }
  return false;
}

bool FieldValueFromNumber(FieldValue& into, FieldType type, double number) {
  if (type != FieldType::kFloat || !std::isfinite(number))
    return false;
  into = number;
  return true;
}

FieldValue FieldValueFromJson(const json& in, FieldType type) {
  FieldValue value;
  if (in.is_null())
    return value;
  if (in.is_string()) {
    std::string text = in.get<std::string>();
    if (FieldValueFromText(value, type, text))
      return value;
  } else if (in.is_number() && FieldValueFromNumber(value, type, in.get<double>())) {
    return value;
  }
  throw EConvertError(
      fmt::format("Valor inválido para um campo do tipo {}: {}.", TypeName(type), in.dump()));
}

json ToJson(const Packet& packet) {
  json rows = json::array();
  for (const auto& row : packet.rows)
    rows.push_back(RowToJson(row));
  return {{"fields", FieldsToJson(packet.fields)}, {"rows", std::move(rows)}};
}

json ToJson(const ChangeSet& change_set) {
  json changes = json::array();
  for (const auto& change : change_set.changes) {
    switch (change.op) {
      case ChangeOp::kInsert:
        changes.push_back({{"op", "insert"}, {"new", RowToJson(change.new_row)}});
        break;
      case ChangeOp::kModify:
        changes.push_back({{"op", "modify"},
                           {"old", RowToJson(change.old_row)},
                           {"new", RowToJson(change.new_row)}});
        break;
      case ChangeOp::kDelete:
        changes.push_back({{"op", "delete"}, {"old", RowToJson(change.old_row)}});
        break;
    }
  }
  return {{"fields", FieldsToJson(change_set.fields)}, {"changes", std::move(changes)}};
}

void WritePacket(const RecordSet& record_set, const std::function<void(std::string_view)>& write) {
  write(R"({"fields":)");
  write(FieldsToJson(record_set.FieldDefs()).dump());
  write(R"(,"rows":[)");
  bool first = true;
  std::string text;
  record_set.ForEachRow([&](const Row& row) {
    text.clear();
    if (!first)
      text += ',';
    AppendJsonRow(text, row);
    write(text);
    first = false;
  });
  write("]}");
}

Packet PacketFromJson(const json& in) {
  if (!in.is_object() || !in.contains("fields") || !in.contains("rows") || !in["rows"].is_array()) {
    throw EConvertError("Pacote de dados inválido.");
  }
  Packet packet;
  packet.fields = FieldsFromJson(in["fields"]);
  for (const auto& row : in["rows"])
    packet.rows.push_back(RowFromJson(row, packet.fields));
  return packet;
}

ChangeSet ChangeSetFromJson(const json& in) {
  if (!in.is_object() || !in.contains("fields") || !in.contains("changes") ||
      !in["changes"].is_array()) {
    throw EConvertError("Conjunto de alterações inválido.");
  }
  ChangeSet change_set;
  change_set.fields = FieldsFromJson(in["fields"]);
  for (const auto& c : in["changes"]) {
    if (!c.is_object() || !c.contains("op") || !c["op"].is_string()) {
      throw EConvertError("Alteração sem operação.");
    }
    const std::string op = c["op"].get<std::string>();
    Change change;
    if (op == "insert" && c.contains("new")) {
      change.op = ChangeOp::kInsert;
      change.new_row = RowFromJson(c["new"], change_set.fields);
    } else if (op == "modify" && c.contains("old") && c.contains("new")) {
      change.op = ChangeOp::kModify;
      change.old_row = RowFromJson(c["old"], change_set.fields);
      change.new_row = RowFromJson(c["new"], change_set.fields);
    } else if (op == "delete" && c.contains("old")) {
      change.op = ChangeOp::kDelete;
      change.old_row = RowFromJson(c["old"], change_set.fields);
    } else {
      throw EConvertError(fmt::format("Alteração inválida: '{}'.", op));
    }
    change_set.changes.push_back(std::move(change));
  }
  return change_set;
}

void ChangeSet::Iterate(Handler& handler) const {
  for (const auto& change : changes) {
    switch (change.op) {
      case ChangeOp::kInsert:
        handler.Insert(change.new_row);
        break;
      case ChangeOp::kModify:
        handler.Modify(change.old_row, change.new_row);
        break;
      case ChangeOp::kDelete:
        handler.Delete(change.old_row);
        break;
    }
  }
}

}  // namespace host
