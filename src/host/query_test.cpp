#include "host/query.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "host/config.h"
#include "host/exceptions.h"
#include "host/soci.h"

namespace host {
namespace {

class QueryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = std::filesystem::temp_directory_path() /
            ("extrato_query_test_" + std::to_string(::getpid()) + ".db");
    std::filesystem::remove(path_);
    soci::session db(soci::sqlite3, "db=" + path_.string());
    db << "CREATE TABLE T (CODE TEXT, NAME TEXT, WHEN_ TEXT)";
    db << "INSERT INTO T VALUES ('002', 'DOIS', '2016-07-08'), ('001', 'UM', NULL)";
    saved_uri_ = Config().database_uri;
    Config().database_uri = "sqlite:" + path_.string();
    query_.SetSql(Dialect::kDefault, {"SELECT * FROM NOWHERE"});
    query_.SetSql(Dialect::kSqlite, {"SELECT CODE, NAME, WHEN_ FROM T",
                                     "WHERE CODE = COALESCE(:P_CODE, CODE) ORDER BY CODE"});
    query_.SetFields({{{"CODE", FieldType::kText, 3}, "Código", true, true},
                      {{"NAME", FieldType::kText, 30}, "Nome", false, true},
                      {{"WHEN_", FieldType::kDate, 0}, "Quando", false, false}});
  }
  void TearDown() override {
    dtmDBGeral().Disconnect();
    Config().database_uri = saved_uri_;
    std::filesystem::remove(path_);
  }

  std::filesystem::path path_;
  std::string saved_uri_;
  TADOIBQuery query_{"qry"};
};

TEST_F(QueryTest, RunsTheEnginesTextWithNamedParameters) {
  EXPECT_EQ(Dialect::kSqlite, dtmDBGeral().GetDialect());
  query_.ClearParam("P_CODE");
  query_.Open();
  EXPECT_EQ(2, query_.RecordCount());
  EXPECT_EQ("001", query_.FieldByName("CODE").AsString());
  EXPECT_TRUE(query_.FieldByName("WHEN_").IsNull());
  EXPECT_EQ((TDataSource::Listing{{"Código", "Nome"}, {{"001", "UM"}, {"002", "DOIS"}}}),
            query_.Listing());
  query_.MoveTo(1);
  EXPECT_EQ("DOIS", query_.FieldByName("NAME").AsString());
  EXPECT_EQ(Date(2016, 7, 8), query_.FieldByName("WHEN_").AsDateTime());

  query_.Close();
  query_.SetParam("P_CODE", "002");
  query_.Open();
  EXPECT_EQ(1, query_.RecordCount());
  query_.SetParam("P_CODE", "' OR '1'='1");  // a value, never SQL
  query_.Open();
  EXPECT_TRUE(query_.IsEmpty());
}

TEST_F(QueryTest, DatabaseFailureIsAnExceptionWithItsText) {
  query_.SetSql(Dialect::kSqlite, {"SELECT * FROM MISSING"});
  EXPECT_THROW(query_.Open(), Exception);
}

TEST(DialectTest, ComesFromTheUri) {
  EXPECT_EQ(Dialect::kSqlite, DialectOfUri("sqlite:/tmp/a.db"));
  EXPECT_EQ(Dialect::kPostgresql, DialectOfUri("postgresql://localhost/extrato"));
  EXPECT_EQ(Dialect::kDefault, DialectOfUri("odbc:x"));
}

}  // namespace
}  // namespace host
