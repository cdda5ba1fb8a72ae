#include "server/request_reader.h"

#include <optional>
#include <type_traits>
#include <vector>

#include "host/exceptions.h"
#include "server/service.h"

namespace server {

namespace {

using nlohmann::json;
// The library's own document builder, which json::parse uses behind its SAX reader.
using Dom = nlohmann::detail::json_sax_dom_parser<json>;

// A call nests five levels deep (call, arguments, packet, rows, row). Far deeper input
// is refused before anything walks it recursively.
constexpr std::size_t kMaxDepth = 32;

// Builds the document as the library's own reader does, except for the rows of a
// packet argument, which become rows one by one.
class CallReader {
 public:
  explicit CallReader(Call& call) : call_(call), dom_(call.request, false) {}

  bool too_deep() const { return too_deep_; }
  bool failed() const { return dom_.is_errored() || too_deep_; }

  bool null() { return InRows() ? RowScalar(nullptr) : Forward() && dom_.null(); }
  bool boolean(bool value) {
    return InRows() ? RowScalar(value) : Forward() && dom_.boolean(value);
  }
  bool number_integer(json::number_integer_t value) {
    return InRows() ? RowScalar(value) : Forward() && dom_.number_integer(value);
  }
  bool number_unsigned(json::number_unsigned_t value) {
    return InRows() ? RowScalar(value) : Forward() && dom_.number_unsigned(value);
  }
  bool number_float(json::number_float_t value, const std::string& text) {
    return InRows() ? RowScalar(value) : Forward() && dom_.number_float(value, text);
  }
  bool string(std::string& value) {
    return InRows() ? RowScalar(std::move(value)) : Forward() && dom_.string(value);
  }
  bool binary(json::binary_t& value) { return Forward() && dom_.binary(value); }

  bool start_object(std::size_t size) {
    if (!Enter())
      return false;
    bool argument = frames_.size() == 2 && frames_[0].key == "params" && !frames_[1].object;
    std::size_t position = argument ? frames_[1].count - 1 : 0;
    frames_.push_back({.object = true, .argument = argument, .position = position, .key = {}});
    if (rows_)
      return rows_->in_row ? RowValue() : NotARow();
    return Forward() && dom_.start_object(size);
  }
  bool end_object() {
    frames_.pop_back();
    if (rows_)
      return true;
    return dom_.end_object();
  }
  bool start_array(std::size_t size) {
    if (!Enter())
      return false;
    frames_.push_back({});
    if (rows_)
      return rows_->in_row ? RowValue() : StartRow();
    if (pending_rows_)
      return StartRows() || (Forward() && dom_.start_array(size));
    return Forward() && dom_.start_array(size);
  }
  bool end_array() {
    frames_.pop_back();
    if (rows_)
      return EndRowOrRows();
    return dom_.end_array();
  }
  bool key(std::string& name) {
    frames_.back().key = name;
    if (rows_)
      return true;
    if (frames_.back().argument && name == "rows") {
      pending_rows_ = name;
      return true;
    }
    return dom_.key(name);
  }
  bool parse_error(std::size_t position, const std::string& token,
                   const nlohmann::detail::exception& error) {
    return dom_.parse_error(position, token, error);
  }

 private:
  struct Frame {
    bool object = false;
    bool argument = false;     // an object that is an element of "params"
    std::size_t position = 0;  // argument: its position
    std::string key;           // object: the key being read
    std::size_t count = 0;     // array: elements begun
  };

  struct Rows {
    std::size_t argument = 0;
    std::size_t depth = 0;  // frames while inside the rows array
    host::PackedPacket packet;
    std::optional<std::string> error;
    bool in_row = false;
    host::Row values;                        // the row being read; its storage is reused
    std::size_t count = 0;                   // values of the row read so far
    std::optional<std::string> value_error;  // the row's first value its field refused
  };

  // Counts the element in its array and refuses too deep a nesting.
  bool Enter() {
    if (!frames_.empty() && !frames_.back().object)
      ++frames_.back().count;
    if (frames_.size() >= kMaxDepth) {
      too_deep_ = true;
      return false;
    }
    return true;
  }

  // Counts a plain value in its array; true when it belongs to a row.
  bool InRows() {
    if (!frames_.empty() && !frames_.back().object)
      ++frames_.back().count;
    return rows_.has_value();
  }

  template <class Value>
  bool RowScalar(Value&& value) {
    if (!rows_->in_row)
      return NotARow();
    std::size_t i = rows_->count++;
    const std::vector<host::FieldDef>& fields = rows_->packet.fields;
    if (i >= fields.size() || rows_->value_error)
      return true;
    if (!StoreValue(rows_->values[i], fields[i].type, value)) {
      try {
        rows_->values[i] =
            host::FieldValueFromJson(json(std::forward<Value>(value)), fields[i].type);
      } catch (const host::EConvertError& e) {
        rows_->value_error = e.what();
      }
    }
    return true;
  }

  // The values a field takes as they come, converted in place; anything else goes
  // through the packet's own conversion, which also words the refusal.
  static bool StoreValue(host::FieldValue& into, host::FieldType, std::nullptr_t) {
    into = std::monostate{};
    return true;
  }
  static bool StoreValue(host::FieldValue& into, host::FieldType type, std::string& text) {
    return host::FieldValueFromText(into, type, text);
  }
  static bool StoreValue(host::FieldValue&, host::FieldType, bool) { return false; }
  template <class Number>
  requires std::is_arithmetic_v<Number>
  static bool StoreValue(host::FieldValue& into, host::FieldType type, Number number) {
    return host::FieldValueFromNumber(into, type, static_cast<double>(number));
  }

  // A "rows" key held back turns out not to start an array of rows: it goes to the
  // document after all.
  bool Forward() {
    if (!pending_rows_)
      return true;
    std::string name = std::move(*pending_rows_);
    pending_rows_.reset();
    return dom_.key(name);
  }

  // The rows array of an argument whose fields were read first: they are known.
  bool StartRows() {
    const Frame& argument = frames_[frames_.size() - 2];
    const json& request = call_.request;
    const json& packet = request.at("params").at(argument.position);
    auto fields = packet.find("fields");
    if (fields == packet.end())
      return false;
    Rows rows;
    try {
      rows.packet.fields =
          host::PacketFromJson({{"fields", *fields}, {"rows", json::array()}}).fields;
    } catch (const host::EConvertError&) {
      return false;  // the document keeps it, and the argument's reader says what is wrong
    }
    rows.argument = argument.position;
    rows.depth = frames_.size();
    pending_rows_.reset();
    rows_ = std::move(rows);
    return true;
  }

  bool StartRow() {
    rows_->in_row = true;
    rows_->count = 0;
    rows_->value_error.reset();
    rows_->values.resize(rows_->packet.fields.size());
    return true;
  }

  // A value inside a row that is itself a list or an object fits no field.
  bool RowValue() {
    if (!rows_->error)
      rows_->error = "Pacote de dados inválido: um valor de linha é uma lista ou um objeto.";
    return true;
  }

  bool NotARow() {
    if (!rows_->error)
      rows_->error = "Pacote de dados inválido: uma linha não é uma lista.";
    return true;
  }

  // Frames left: more than the rows array's depth at the end of a list inside a row,
  // the depth itself at the end of a row, one less at the end of the rows.
  bool EndRowOrRows() {
    if (frames_.size() > rows_->depth)
      return true;
    if (frames_.size() == rows_->depth) {
      rows_->in_row = false;
      AddRow();
      return true;
    }
    Rows rows = std::move(*rows_);
    rows_.reset();
    if (rows.error)
      call_.packets.insert_or_assign(rows.argument, Failure{*rows.error});
    else
      call_.packets.insert_or_assign(rows.argument, std::move(rows.packet));
    return true;
  }

  void AddRow() {
    if (rows_->error)
      return;
    if (rows_->count != rows_->packet.fields.size())
      rows_->error = "Linha com número de valores diferente do número de campos.";
    else if (rows_->value_error)
      rows_->error = std::move(rows_->value_error);
    else
      rows_->packet.rows.Add(rows_->values);
  }

  Call& call_;
  Dom dom_;
  std::vector<Frame> frames_;
  std::optional<std::string> pending_rows_;
  std::optional<Rows> rows_;
  bool too_deep_ = false;
};

// Walks the pieces as one text, freeing each piece it leaves behind. The parser
// asks for a character at a time: each is a pointer step within the piece.
class PiecesIterator {
 public:
  using iterator_category = std::input_iterator_tag;
  using value_type = char;
  using difference_type = std::ptrdiff_t;
  using pointer = const char*;
  using reference = const char&;

  PiecesIterator() = default;
  explicit PiecesIterator(BodyPieces& pieces) : pieces_(&pieces) { Enter(); }

  reference operator*() const { return *at_; }
  PiecesIterator& operator++() {
    if (++at_ == end_) {
      std::string().swap((*pieces_)[piece_++]);
      Enter();
    }
    return *this;
  }
  // Only the end is ever compared with.
  bool operator==(const PiecesIterator& other) const {
    return (at_ == nullptr) == (other.at_ == nullptr);
  }

 private:
  // Points at the first character of the next piece that has any, or at nothing.
  void Enter() {
    while (piece_ < pieces_->size() && (*pieces_)[piece_].empty())
      ++piece_;
    if (piece_ == pieces_->size()) {
      at_ = end_ = nullptr;
      return;
    }
    const std::string& piece = (*pieces_)[piece_];
    at_ = piece.data();
    end_ = piece.data() + piece.size();
  }

  BodyPieces* pieces_ = nullptr;
  std::size_t piece_ = 0;
  const char* at_ = nullptr;
  const char* end_ = nullptr;
};

template <class Parse>
Expected<Call> ReadCallWith(Parse parse) {
  Call call;
  CallReader reader(call);
  parse(reader);
  if (reader.too_deep())
    return Failure{"Requisição inválida: JSON aninhado demais."};
  if (reader.failed())
    return Failure{"Requisição inválida: JSON malformado."};
  return call;
}

std::string Refusal(const std::string& message) {
  return json({{"ok", false}, {"error", message}}).dump();
}

}  // namespace

Expected<Call> ReadCall(std::string_view body) {
  return ReadCallWith([body](CallReader& reader) { json::sax_parse(body, &reader); });
}

Expected<Call> ReadCall(BodyPieces&& body) {
  return ReadCallWith([&body](CallReader& reader) {
    json::sax_parse(PiecesIterator(body), PiecesIterator(), &reader);
  });
}

HttpAnswer AnswerCall(Service& service, BodyPieces body, const Caller& caller) {
  Expected<Call> call = ReadCall(std::move(body));
  if (!call.ok())
    return {400, Refusal(call.error()), "", false};
  if (auto error = RequestShapeError(call.value().request))
    return {400, Refusal(*error), "", false};
  std::string method = call.value().request["method"].get<std::string>();
  json answer = service.Handle(std::move(call).value(), caller);
  bool ok = answer.value("ok", false);
  // Text from the database that is not valid UTF-8 must not fail the answer.
  return {200, answer.dump(-1, ' ', false, json::error_handler_t::replace), std::move(method), ok};
}

}  // namespace server
