#include "server/arguments.h"

#include <algorithm>

#include <fmt/format.h>

#include "host/exceptions.h"
#include "host/stored_range.h"
#include "host/utf8.h"
#include "server/sql_value.h"

namespace server {

namespace {

using nlohmann::json;

Expected<std::string> ReadText(const json& value, int size, bool pattern) {
  if (!value.is_string())
    return Failure{"deve ser um texto."};
  std::string text = value.get<std::string>();
  std::size_t length = host::Utf8Length(text);
  if (pattern && !text.empty() && text.back() == '%')
    --length;
  if (length > static_cast<std::size_t>(size)) {
    return Failure{fmt::format("excede o tamanho máximo ({}).", size)};
  }
  return text;
}

TextMatch ToMatch(std::string text) {
  bool prefix = !text.empty() && text.back() == '%';
  if (prefix)
    text.pop_back();
  return {std::move(text), prefix};
}

Expected<long long> ReadAmount(const json& value) {
  if (!value.is_number())
    return Failure{"deve ser um número."};
  auto cents = AmountToCents(value.get<double>());
  if (!cents)
    return Failure{"está fora do intervalo aceito."};
  return *cents;
}

// Packets and change sets: the host's reader says what is wrong with them.
template <class T, class Reader>
Expected<T> ReadStructure(const json& value, Reader reader) {
  try {
    return T(reader(value));
  } catch (const host::EConvertError& e) {
    return Failure{e.what()};
  }
}

}  // namespace

Expected<Arguments::Value> Arguments::ReadList(const Param& param, const json& value) {
  if (!value.is_array())
    return Failure{"deve ser uma lista."};
  if (value.size() > static_cast<std::size_t>(param.size))
    return Failure{fmt::format("excede o máximo de {} itens.", param.size)};
  std::vector<Arguments> sets;
  sets.reserve(value.size());
  for (std::size_t i = 0; i < value.size(); ++i) {
    auto set = Read(param.item_method, param.items, value[i]);
    if (!set.ok())
      return Failure{fmt::format("item {}: {}", i + 1, set.error())};
    sets.push_back(std::move(set).value());
  }
  return Value(std::move(sets));
}

Expected<Arguments::Value> Arguments::TakePacket(Expected<host::PackedPacket>& packet) {
  if (!packet.ok())
    return packet.failure();
  return Value(std::move(packet).value());
}

Expected<Arguments::Value> Arguments::ReadOne(const Param& param, const json& value) {
  auto wrap = [](auto read) -> Expected<Value> {
    if (!read.ok())
      return read.failure();
    return Value(std::move(read).value());
  };
  switch (param.kind) {
    case ArgKind::kText:
      return wrap(ReadText(value, param.size, false));
    case ArgKind::kPattern: {
      auto text = ReadText(value, param.size, true);
      if (!text.ok())
        return text.failure();
      return Value(ToMatch(std::move(text).value()));
    }
    case ArgKind::kDate:
      if (value.is_string()) {
        if (auto date = host::Date::FromIso(value.get<std::string>())) {
          if (!host::IsStorableDate(*date))
            return Failure{fmt::format("a data {} está fora do intervalo aceito.", date->ToIso())};
          return Value(*date);
        }
      }
      return Failure{"deve ser uma data no formato AAAA-MM-DD."};
    case ArgKind::kAmount:
      return wrap(ReadAmount(value));
    case ArgKind::kOne:
      if (value.is_number_integer() && value.get<long long>() == 1)
        return Value();
      return Failure{"deve ser o número inteiro 1."};
    case ArgKind::kCount:
      if (value.is_number_integer() && value.get<long long>() >= 1 &&
          value.get<long long>() <= param.size) {
        return Value(value.get<long long>());
      }
      return Failure{fmt::format("deve ser um número inteiro de 1 a {}.", param.size)};
    case ArgKind::kBoolean:
      if (value.is_boolean())
        return Value(value.get<bool>());
      return Failure{"deve ser verdadeiro ou falso."};
    case ArgKind::kPacket:
      return wrap(ReadStructure<host::PackedPacket>(
          value, [](const json& packet) { return host::Pack(host::PacketFromJson(packet)); }));
    case ArgKind::kChangeSet:
    case ArgKind::kChangeSetOrNull:
      if (value.is_null() && param.kind == ArgKind::kChangeSetOrNull) {
        return Value(std::optional<host::ChangeSet>());
      }
      return wrap(ReadStructure<std::optional<host::ChangeSet>>(value, host::ChangeSetFromJson));
    case ArgKind::kList:
      return ReadList(param, value);
    case ArgKind::kObject:
      if (value.is_object() || value.is_null())
        return Value(value);
      return Failure{"deve ser um objeto."};
  }
  return Failure{"tem um tipo desconhecido."};
}

Expected<Arguments> Arguments::Read(std::string_view method, std::span<const Param> params,
                                    const json& values, ReadPackets* packets) {
  std::size_t required = static_cast<std::size_t>(
      std::count_if(params.begin(), params.end(), [](const Param& p) { return !p.optional; }));
  std::size_t given = values.is_array() ? values.size() : 0;
  if (!values.is_array() || given < required || given > params.size()) {
    std::string expected = required == params.size()
                               ? std::to_string(required)
                               : fmt::format("de {} a {}", required, params.size());
    return Failure{fmt::format("{} espera {} argumento{} e recebeu {}.", method, expected,
                               params.size() == 1 ? "" : "s", given)};
  }
  std::vector<Value> read;
  for (std::size_t i = 0; i < params.size(); ++i) {
    if (i >= given) {
      read.push_back(params[i].kind == ArgKind::kObject ? Value(json(nullptr)) : Value(false));
      continue;
    }
    auto read_packet = packets ? packets->find(i) : ReadPackets::iterator();
    auto value = packets && params[i].kind == ArgKind::kPacket && read_packet != packets->end()
                     ? TakePacket(read_packet->second)
                     : ReadOne(params[i], values[i]);
    if (!value.ok()) {
      return Failure{fmt::format("Argumento {} de {} ({}): {}", i + 1, method, params[i].label,
                                 value.error())};
    }
    read.push_back(std::move(value).value());
  }
  return Arguments(std::move(read));
}

}  // namespace server
