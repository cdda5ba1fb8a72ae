#include "screen/bank_query.h"

#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

Lines WithCondition(const std::string& condition) {
  return {"SELECT", "   CDBANCO,", "   NMBANCO,", "   CDBANCCNAB", "FROM", "   BANCO",
          "WHERE",  condition,     "ORDER BY",    "   CDBANCO",    " "};
}

Lines InterbaseText() {
  return {"SELECT",
          "   CDBANCO,",
          "   NMBANCO,",
          "   CDBANCCNAB",
          "FROM",
          "   BANCO,",
          "   PARAM(:P_CDBANCO) CDBANCO",
          "WHERE",
          "   (CDBANCO = NVLSTR(CDBANCO.PARAM, CDBANCO))",
          "ORDER BY",
          "   CDBANCO",
          " "};
}

}  // namespace

void SetUpBankQuery(host::TADOIBQuery& query) {
  Lines default_text = InterbaseText();
  default_text.push_back("");
  query.SetSql(host::Dialect::kDefault, default_text);
  query.SetSql(host::Dialect::kOracle, WithCondition("   (CDBANCO = NVL(:P_CDBANCO, CDBANCO))"));
  query.SetSql(host::Dialect::kMssql, WithCondition("   (CDBANCO = ISNULL(:P_CDBANCO, CDBANCO))"));
  query.SetSql(host::Dialect::kInterbase, InterbaseText());
  // Both engines of the product read COALESCE; the parameter is bound as text.
  Lines portable = WithCondition("   (CDBANCO = COALESCE(:P_CDBANCO, CDBANCO))");
  query.SetSql(host::Dialect::kSqlite, portable);
  query.SetSql(host::Dialect::kPostgresql, portable);
  query.SetFields({
      {{"CDBANCO", host::FieldType::kText, 3}, "Código", true, true},
      {{"NMBANCO", host::FieldType::kText, 30}, "Nome", false, true},
      {{"CDBANCCNAB", host::FieldType::kText, 3}, "CDBANCCNAB", false, false},
  });
}
