// A row of a record set packed into one string, so that a record set of many rows
// costs about the size of its values instead of a variant per field.
//
// Each value is a tag byte, then: nothing (null), a length and the bytes (text), the
// width and number of a text of at most 19 digits (kept with its leading zeros),
// year, month and day (date), or the eight bytes of the double (amount).
#ifndef EXTRATO_HOST_PACKED_ROW_H_
#define EXTRATO_HOST_PACKED_ROW_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "host/packet.h"

namespace host {

using PackedRow = std::string;

PackedRow PackRow(const Row& row);
// Unpacks into `row`, reusing its storage.
void UnpackRow(std::string_view packed, Row& row);
Row UnpackRow(std::string_view packed);
// The value at `index` alone, without unpacking the others.
FieldValue PackedField(std::string_view packed, std::size_t index);

// The bytes of packed rows one after another in blocks, so that many rows cost about
// the size of their values and growing never copies what is stored. Blocks grow
// with the store, so that one of a few rows stays small.
class PackedStore {
 public:
  struct Place {
    std::uint32_t block = 0;
    std::uint32_t offset = 0;
    std::uint32_t size = 0;
  };
  Place Add(const Row& row);
  Place Add(std::string_view packed);
  std::string_view At(Place place) const {
    return std::string_view(blocks_[place.block]).substr(place.offset, place.size);
  }
  void Clear() { blocks_.clear(); }

 private:
  std::vector<std::string> blocks_;
  std::string packing_;  // the row being added, before it is placed
};

// Many packed rows in order.
class PackedRows {
 public:
  void Add(const Row& row);
  std::size_t size() const { return rows_.size(); }
  bool empty() const { return rows_.empty(); }
  // Unpacks row `i` into `row`, reusing its storage.
  void Unpack(std::size_t i, Row& row) const;
  Row operator[](std::size_t i) const;
  // The value at `index` of row `i` alone.
  FieldValue Field(std::size_t i, std::size_t index) const;

  // The rows in order, each unpacked into one row the iterator reuses, so that
  // `for (const Row& row : rows)` reads them without a copy of them all.
  class Iterator {
   public:
    Iterator(const PackedRows& rows, std::size_t at) : rows_(&rows), at_(at) {}
    const Row& operator*() {
      rows_->Unpack(at_, row_);
      return row_;
    }
    Iterator& operator++() {
      ++at_;
      return *this;
    }
    bool operator!=(const Iterator& other) const { return at_ != other.at_; }

   private:
    const PackedRows* rows_;
    std::size_t at_;
    Row row_;
  };
  Iterator begin() const { return {*this, 0}; }
  Iterator end() const { return {*this, size()}; }

 private:
  PackedStore store_;
  std::vector<PackedStore::Place> rows_;
};

// A packet whose rows are packed.
struct PackedPacket {
  std::vector<FieldDef> fields;
  PackedRows rows;
};
PackedPacket Pack(const Packet& packet);
Packet Unpack(const PackedPacket& packet);

}  // namespace host

#endif  // EXTRATO_HOST_PACKED_ROW_H_
