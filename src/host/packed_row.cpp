#include "host/packed_row.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>

namespace host {

namespace {

enum Tag : char { kNull, kText, kDate, kAmount, kDigits };

// Codes, numbers and documents are mostly digits with leading zeros: kept as their
// width and number they take a quarter of the bytes.
bool PacksAsDigits(std::string_view text) {
  constexpr std::size_t kMostWidth = 255, kMostSignificant = 19;  // a byte; 64 bits
  if (text.empty() || text.size() > kMostWidth ||
      !std::ranges::all_of(text, [](char c) { return c >= '0' && c <= '9'; }))
    return false;
  return text.size() - std::min(text.find_first_not_of('0'), text.size()) <= kMostSignificant;
}

void PutNumber(std::string& out, std::uint64_t number) {
  // Seven bits a byte, the high bit telling that more follow.
  while (number >= 0x80) {
    out += static_cast<char>((number & 0x7F) | 0x80);
    number >>= 7;
  }
  out += static_cast<char>(number);
}

std::uint64_t GetNumber(std::string_view packed, std::size_t& at) {
  std::uint64_t number = 0;
  for (int shift = 0;; shift += 7) {
    auto byte = static_cast<unsigned char>(packed[at++]);
    number |= static_cast<std::uint64_t>(byte & 0x7F) << shift;
    if (!(byte & 0x80))
      return number;
  }
}

void Pack(std::string& out, const FieldValue& value) {
  struct Visitor {
    std::string& out;
    void operator()(std::monostate) const { out += kNull; }
    void operator()(const std::string& text) const {
      if (PacksAsDigits(text)) {
        out += kDigits;
        out += static_cast<char>(static_cast<unsigned char>(text.size()));
        std::uint64_t number = 0;
        std::from_chars(text.data(), text.data() + text.size(), number);
        PutNumber(out, number);
        return;
      }
      out += kText;
      PutNumber(out, static_cast<std::uint32_t>(text.size()));
      out += text;
    }
    void operator()(const Date& date) const {
      out += kDate;
      PutNumber(out, static_cast<std::uint32_t>(date.year() + 32768));
      out += static_cast<char>(date.month());
      out += static_cast<char>(date.day());
    }
    void operator()(double amount) const {
      out += kAmount;
      char bytes[sizeof amount];
      std::memcpy(bytes, &amount, sizeof amount);
      out.append(bytes, sizeof amount);
    }
  };
  std::visit(Visitor{out}, value);
}

void WriteDigits(std::string& text, std::uint64_t number, std::size_t width) {
  text.assign(width, '0');
  for (std::size_t i = width; number != 0; number /= 10)
    text[--i] = static_cast<char>('0' + number % 10);
}

// A text value that reuses the one `value` holds, so that unpacking row after row
// into the same row allocates nothing once its texts are long enough.
std::string& TextIn(FieldValue& value) {
  if (auto* text = std::get_if<std::string>(&value))
    return *text;
  return value.emplace<std::string>();
}

// Reads the value at `at` into `value` and moves past it; without `value` only skips it.
void UnpackInto(std::string_view packed, std::size_t& at, FieldValue* value) {
  switch (static_cast<Tag>(packed[at++])) {
    case kNull:
      if (value)
        *value = std::monostate{};
      return;
    case kText: {
      auto size = static_cast<std::size_t>(GetNumber(packed, at));
      if (value)
        TextIn(*value).assign(packed.substr(at, size));
      at += size;
      return;
    }
    case kDigits: {
      auto width = static_cast<std::size_t>(static_cast<unsigned char>(packed[at++]));
      std::uint64_t number = GetNumber(packed, at);
      if (value)
        WriteDigits(TextIn(*value), number, width);
      return;
    }
    case kDate: {
      int year = static_cast<int>(GetNumber(packed, at)) - 32768;
      int month = static_cast<unsigned char>(packed[at++]);
      int day = static_cast<unsigned char>(packed[at++]);
      if (value)
        *value = Date(year, month, day);
      return;
    }
    case kAmount: {
      double amount;
      std::memcpy(&amount, packed.data() + at, sizeof amount);
      at += sizeof amount;
      if (value)
        *value = amount;
      return;
    }
  }
}

void AppendPacked(std::string& out, const Row& row) {
  PutNumber(out, static_cast<std::uint32_t>(row.size()));
  for (const FieldValue& value : row)
    Pack(out, value);
}

}  // namespace

PackedRow PackRow(const Row& row) {
  PackedRow out;
  AppendPacked(out, row);
  out.shrink_to_fit();
  return out;
}

void UnpackRow(std::string_view packed, Row& row) {
  std::size_t at = 0;
  row.resize(GetNumber(packed, at));
  for (FieldValue& value : row)
    UnpackInto(packed, at, &value);
}

Row UnpackRow(std::string_view packed) {
  Row row;
  UnpackRow(packed, row);
  return row;
}

FieldValue PackedField(std::string_view packed, std::size_t index) {
  std::size_t at = 0;
  std::size_t count = GetNumber(packed, at);
  if (index >= count)
    return std::monostate{};
  for (std::size_t i = 0; i < index; ++i)
    UnpackInto(packed, at, nullptr);
  FieldValue value;
  UnpackInto(packed, at, &value);
  return value;
}

PackedStore::Place PackedStore::Add(const Row& row) {
  packing_.clear();
  AppendPacked(packing_, row);
  return Add(packing_);
}

PackedStore::Place PackedStore::Add(std::string_view packed) {
  constexpr std::size_t kFirst = 4096, kMost = 1 << 20;
  if (blocks_.empty() || blocks_.back().size() + packed.size() > blocks_.back().capacity()) {
    std::size_t size = blocks_.empty() ? kFirst : std::min(kMost, 2 * blocks_.back().capacity());
    blocks_.emplace_back().reserve(std::max(size, packed.size()));
  }
  std::string& block = blocks_.back();
  Place place{static_cast<std::uint32_t>(blocks_.size() - 1),
              static_cast<std::uint32_t>(block.size()), static_cast<std::uint32_t>(packed.size())};
  block += packed;
  return place;
}

void PackedRows::Add(const Row& row) {
  rows_.push_back(store_.Add(row));
}

void PackedRows::Unpack(std::size_t i, Row& row) const {
  UnpackRow(store_.At(rows_[i]), row);
}

FieldValue PackedRows::Field(std::size_t i, std::size_t index) const {
  return PackedField(store_.At(rows_[i]), index);
}

Row PackedRows::operator[](std::size_t i) const {
  Row row;
  Unpack(i, row);
  return row;
}

PackedPacket Pack(const Packet& packet) {
  PackedPacket packed{packet.fields, {}};
  for (const Row& row : packet.rows)
    packed.rows.Add(row);
  return packed;
}

Packet Unpack(const PackedPacket& packet) {
  Packet unpacked{packet.fields, {}};
  for (const Row& row : packet.rows)
    unpacked.rows.push_back(row);
  return unpacked;
}

}  // namespace host
