// The arguments of one remote call, checked against what its method takes.
#ifndef EXTRATO_SERVER_ARGUMENTS_H_
#define EXTRATO_SERVER_ARGUMENTS_H_

#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include <nlohmann/json.hpp>

#include "host/packed_row.h"
#include "host/record_set.h"
#include "server/expected.h"

namespace server {

enum class ArgKind {
  kText,             // a text of at most `size` characters
  kPattern,          // a text; a final "%" asks for the texts that begin with the rest
  kDate,             // "YYYY-MM-DD"
  kAmount,           // a number, kept to the cent
  kOne,              // the integer 1
  kCount,            // a whole number from 1 to `size`
  kBoolean,          // true or false
  kPacket,           // a packet
  kChangeSet,        // a change set
  kChangeSetOrNull,  // a change set, or null for none
  kList,             // a list of at most `size` argument sets, each read as `items` say
  kObject,           // a JSON object or null, read by the method itself
};

struct Param {
  ArgKind kind;
  std::string_view label;  // what the argument is, for messages ("código do banco")
  int size = 0;            // kText, kPattern: most characters, a pattern's "%" not counted;
                           // kCount: the largest number
  // Added after the method was first released: callers that do not know it leave it
  // out, and it reads as false (kBoolean) or null (kObject). Only arguments at the end
  // of the list may be optional.
  bool optional = false;
  // kList: the method whose arguments each set holds, for messages, and what they are.
  std::string_view item_method = {};
  std::span<const Param> items = {};
};
inline constexpr bool kOptional = true;

// A text to match: whole, or only its beginning.
struct TextMatch {
  std::string text;
  bool prefix = false;
};

// Packet arguments read into rows as the request arrived, by position: a whole
// movement file as a JSON document would cost many times its text.
using ReadPackets = std::map<std::size_t, Expected<host::PackedPacket>>;

class Arguments {
 public:
  // Reads `values` (a JSON array) as the parameters ask, or fails with a message that
  // names the method and the argument at fault.
  // A packet argument already read (see ReadCall) is moved out of `packets`.
  static Expected<Arguments> Read(std::string_view method, std::span<const Param> params,
                                  const nlohmann::json& values, ReadPackets* packets = nullptr);

  const std::string& Text(std::size_t i) const { return std::get<std::string>(values_[i]); }
  const TextMatch& Match(std::size_t i) const { return std::get<TextMatch>(values_[i]); }
  const host::Date& DateAt(std::size_t i) const { return std::get<host::Date>(values_[i]); }
  long long Cents(std::size_t i) const { return std::get<long long>(values_[i]); }
  long long Count(std::size_t i) const { return std::get<long long>(values_[i]); }
  bool Boolean(std::size_t i) const { return std::get<bool>(values_[i]); }
  const host::PackedPacket& PacketAt(std::size_t i) const {
    return std::get<host::PackedPacket>(values_[i]);
  }
  const std::vector<Arguments>& List(std::size_t i) const {
    return std::get<std::vector<Arguments>>(values_[i]);
  }
  // Null when the caller sent none.
  const nlohmann::json& ObjectAt(std::size_t i) const {
    return std::get<nlohmann::json>(values_[i]);
  }
  // Null when the caller sent none.
  const host::ChangeSet* ChangeSetAt(std::size_t i) const {
    const auto& change_set = std::get<std::optional<host::ChangeSet>>(values_[i]);
    return change_set ? &*change_set : nullptr;
  }

 private:
  using Value = std::variant<std::monostate, std::string, TextMatch, host::Date, long long, bool,
                             host::PackedPacket, std::optional<host::ChangeSet>,
                             std::vector<Arguments>, nlohmann::json>;
  explicit Arguments(std::vector<Value> values) : values_(std::move(values)) {}

  static Expected<Value> ReadOne(const Param& param, const nlohmann::json& value);
  static Expected<Value> ReadList(const Param& param, const nlohmann::json& value);
  static Expected<Value> TakePacket(Expected<host::PackedPacket>& packet);

  std::vector<Value> values_;
};

}  // namespace server

#endif  // EXTRATO_SERVER_ARGUMENTS_H_
