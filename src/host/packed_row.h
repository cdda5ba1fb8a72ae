// A row of a record set packed into one string, so that a record set of many rows
// costs about the size of its values instead of a variant per field.
//
// Each value is a tag byte, then: nothing (null), a length and the bytes (text),
// year, month and day (date), or the eight bytes of the double (amount).
#ifndef EXTRATO_HOST_PACKED_ROW_H_
#define EXTRATO_HOST_PACKED_ROW_H_

#include <string>
#include <string_view>

#include "host/record_set.h"

namespace host {

using PackedRow = std::string;

PackedRow PackRow(const Row& row);
// Unpacks into `row`, reusing its storage.
void UnpackRow(std::string_view packed, Row& row);
Row UnpackRow(std::string_view packed);
// The value at `index` alone, without unpacking the others.
FieldValue PackedField(std::string_view packed, std::size_t index);

}  // namespace host

#endif  // EXTRATO_HOST_PACKED_ROW_H_
