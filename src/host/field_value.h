#ifndef EXTRATO_HOST_FIELD_VALUE_H_
#define EXTRATO_HOST_FIELD_VALUE_H_

#include <string>
#include <string_view>

#include "host/record_set.h"

namespace host {

// The text form of a value: null is "", a date "YYYY-MM-DD", an amount its shortest
// decimal ("1234.56").
std::string ValueText(const FieldValue& value);

// The value as the given type needs it: null stays null, a blank text becomes null
// for a date or an amount. Throws EConvertError naming `field_name` when the value
// cannot be read as that type.
FieldValue ConvertValue(const FieldValue& value, FieldType type, std::string_view field_name);

// A value of `type` (or null) as a search compares it: texts without regard to
// letter case, null being "", amounts to the cent, dates by day. Two values match
// when their keys are equal.
std::string SearchKey(const FieldValue& value, FieldType type);

}  // namespace host

#endif  // EXTRATO_HOST_FIELD_VALUE_H_
