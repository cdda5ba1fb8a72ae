#include "screen/bank_query.h"

#include <memory>

#include <gtest/gtest.h>

#include "host/config.h"
#include "server/schema.h"
#include "testing/test_database.h"

namespace {

using server::testing::Backend;
using Lines = std::vector<std::string>;

TEST(BankQueryTextTest, KeepsTheTextsOfTheFourDialectsLineByLine) {
  host::TADOIBQuery query("qryBanco");
  SetUpBankQuery(query);
  const Lines oracle = {"SELECT",
                        "   CDBANCO,",
                        "   NMBANCO,",
                        "   CDBANCCNAB",
                        "FROM",
                        "   BANCO",
                        "WHERE",
                        "   (CDBANCO = NVL(:P_CDBANCO, CDBANCO))",
                        "ORDER BY",
                        "   CDBANCO",
                        " "};
  Lines mssql = oracle;
  mssql[7] = "   (CDBANCO = ISNULL(:P_CDBANCO, CDBANCO))";
  const Lines interbase = {"SELECT",
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
  Lines default_text = interbase;
  default_text.push_back("");
  EXPECT_EQ(oracle, query.Sql(host::Dialect::kOracle));
  EXPECT_EQ(mssql, query.Sql(host::Dialect::kMssql));
  EXPECT_EQ(interbase, query.Sql(host::Dialect::kInterbase));
  EXPECT_EQ(default_text, query.Sql(host::Dialect::kDefault));
}

// The query on a real database of each engine the product runs on.
class BankQueryTest : public ::testing::TestWithParam<Backend> {
 protected:
  void SetUp() override {
    if (!server::testing::Available(GetParam()))
      GTEST_SKIP() << server::testing::kNoPostgresql;
    database_ = std::make_unique<server::testing::TestDatabase>(GetParam());
    server::InitSchema(database_->uri());
    soci::session sql;
    server::Connect(sql, server::ParseDatabaseUri(database_->uri()));
    sql << "INSERT INTO BANCO VALUES ('341', 'ITAÚ', '341', '99999-9')";
    sql << "INSERT INTO BANCO VALUES ('001', 'BRASIL', '001', '99999999-9')";
    sql << "INSERT INTO BANCO VALUES ('900', 'PRÓPRIO', '237', '9999999-9')";
    saved_uri_ = host::Config().database_uri;
    host::Config().database_uri = database_->uri();
    SetUpBankQuery(query_);
  }

  void TearDown() override {
    host::dtmDBGeral().Disconnect();
    host::Config().database_uri = saved_uri_;
  }

  // Each row as "CDBANCO|NMBANCO|CDBANCCNAB", in the query's order.
  Lines Rows() {
    Lines rows;
    for (query_.First(); !query_.Eof(); query_.Next()) {
      rows.push_back(query_.FieldByName("CDBANCO").AsString() + "|" +
                     query_.FieldByName("NMBANCO").AsString() + "|" +
                     query_.FieldByName("CDBANCCNAB").AsString());
    }
    return rows;
  }

  host::TADOIBQuery query_{"qryBanco"};

 private:
  std::unique_ptr<server::testing::TestDatabase> database_;
  std::string saved_uri_;
};

TEST_P(BankQueryTest, RunsTheTextOfItsEngine) {
  EXPECT_NE(std::string::npos,
            query_.StatementText().find("(CDBANCO = COALESCE(:P_CDBANCO, CDBANCO))"));
}

TEST_P(BankQueryTest, NullParameterListsEveryBankByCode) {
  query_.ClearParam("P_CDBANCO");
  query_.Open();
  EXPECT_EQ((Lines{"001|BRASIL|001", "341|ITAÚ|341", "900|PRÓPRIO|237"}), Rows());
}

TEST_P(BankQueryTest, SetParameterFindsThatBankOnly) {
  query_.SetParam("P_CDBANCO", "900");
  query_.Open();
  EXPECT_EQ(Lines{"900|PRÓPRIO|237"}, Rows());
  query_.Close();
  query_.SetParam("P_CDBANCO", "237");
  query_.Open();
  EXPECT_TRUE(query_.IsEmpty()) << "the bank's own code, not its CNAB code";
  query_.Close();
  query_.SetParam("P_CDBANCO", "' OR '1'='1");
  query_.Open();
  EXPECT_TRUE(query_.IsEmpty()) << "the parameter is bound, never spliced in";
}

EXTRATO_ON_EVERY_DATABASE(BankQueryTest);

}  // namespace
