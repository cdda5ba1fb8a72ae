#include "host/field_value.h"

#include <gtest/gtest.h>

#include "host/exceptions.h"

namespace host {
namespace {

TEST(FieldValueTest, ConvertsBetweenTypes) {
  struct Case {
    const char* name;
    FieldValue in;
    FieldType type;
    FieldValue expected;
  };
  const std::vector<Case> cases = {
      {"null stays null", std::monostate{}, FieldType::kFloat, std::monostate{}},
      {"amount to text", 1234.5, FieldType::kText, std::string("1234.5")},
      {"date to text", Date(2024, 1, 31), FieldType::kText, std::string("2024-01-31")},
      {"text to amount", std::string("-0.75"), FieldType::kFloat, -0.75},
      {"blank text to amount", std::string("  "), FieldType::kFloat, std::monostate{}},
      {"text to date", std::string("2024-01-31"), FieldType::kDate, Date(2024, 1, 31)},
      {"blank text to date", std::string(""), FieldType::kDate, std::monostate{}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.expected, ConvertValue(c.in, c.type, "F")) << c.name;

  EXPECT_THROW(ConvertValue(std::string("1e999"), FieldType::kFloat, "F"), EConvertError);
  EXPECT_THROW(ConvertValue(std::string("nan"), FieldType::kFloat, "F"), EConvertError);
  EXPECT_THROW(ConvertValue(std::string("2024-02-30"), FieldType::kDate, "F"), EConvertError);
  EXPECT_THROW(ConvertValue(Date(2024, 1, 1), FieldType::kFloat, "F"), EConvertError);
}

TEST(FieldValueTest, SearchKeysMatchAsASearchShould) {
  auto same = [](const FieldValue& a, const FieldValue& b, FieldType type) {
    return SearchKey(a, type) == SearchKey(b, type);
  };
  using S = std::string;
  EXPECT_TRUE(same(S("ação é À"), S("AÇÃO É à"), FieldType::kText));
  EXPECT_TRUE(same(std::monostate{}, S(""), FieldType::kText));
  EXPECT_FALSE(same(S("acao"), S("ação"), FieldType::kText));
  EXPECT_TRUE(same(0.1 + 0.2, 0.3, FieldType::kFloat));
  EXPECT_TRUE(same(-10.004, -10.0, FieldType::kFloat));
  EXPECT_TRUE(same(-0.001, 0.0, FieldType::kFloat));
  EXPECT_FALSE(same(10.01, 10.0, FieldType::kFloat));
  EXPECT_FALSE(same(std::monostate{}, 0.0, FieldType::kFloat));
  EXPECT_TRUE(same(std::monostate{}, std::monostate{}, FieldType::kDate));
  EXPECT_FALSE(same(Date(2024, 1, 1), Date(2024, 1, 2), FieldType::kDate));
}

}  // namespace
}  // namespace host
