// Fields of the current row: reads convert from the stored type, writes to it.
#include "host/field_value.h"
#include "host/record_set.h"

namespace host {

const std::string& Field::FieldName() const {
  return owner_->fields_[index_].name;
}

FieldType Field::DataType() const {
  return owner_->fields_[index_].type;
}

int Field::Size() const {
  return owner_->fields_[index_].size;
}

bool Field::IsNull() const {
  return std::holds_alternative<std::monostate>(Value());
}

const FieldValue& Field::Value() const {
  return owner_->CurrentValue(index_);
}

std::string Field::AsString() const {
  return ValueText(Value());
}

double Field::AsFloat() const {
  FieldValue number = ConvertValue(Value(), FieldType::kFloat, FieldName());
  const auto* value = std::get_if<double>(&number);
  return value ? *value : 0.0;
}

Date Field::AsDateTime() const {
  FieldValue date = ConvertValue(Value(), FieldType::kDate, FieldName());
  const auto* value = std::get_if<Date>(&date);
  return value ? *value : Date();
}

void Field::SetValue(FieldValue value) {
  owner_->Assign(index_, std::move(value));
}

void Field::SetAsString(std::string_view text) {
  SetValue(std::string(text));
}

void Field::SetAsFloat(double value) {
  SetValue(value);
}

void Field::SetAsDateTime(const Date& value) {
  SetValue(value);
}

void Field::Clear() {
  SetValue(std::monostate{});
}

}  // namespace host
