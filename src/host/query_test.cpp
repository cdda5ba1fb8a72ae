#include "host/query.h"

#include <cstdlib>
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

// Every form the command line documents: SQLite with or without "///" and a space in
// the path; PostgreSQL as postgresql:// or postgres://, with or without options.
TEST_F(QueryTest, EveryDocumentedUriFormOpens) {
  std::filesystem::path spaced =
      path_.parent_path() / ("extrato query " + path_.filename().string());
  std::filesystem::copy_file(path_, spaced, std::filesystem::copy_options::overwrite_existing);
  std::vector<std::string> uris = {"sqlite:" + path_.string(), "sqlite://" + path_.string(),
                                   "sqlite:" + spaced.string()};
  if (const char* pg = std::getenv("EXTRATO_TEST_PG_URI"); pg && *pg) {
    std::string uri = pg;
    uris.push_back(uri);
    uris.push_back("postgres://" + uri.substr(uri.find("://") + 3));
    uris.push_back(uri + "?sslmode=disable&application_name=extrato%20query");
  }
  TDataModule module("dtmTeste");
  for (const std::string& uri : uris) {
    Config().database_uri = uri;
    std::vector<Row> rows = module.Select("SELECT 'sim' AS X", {}, {{"X", FieldType::kText, 3}});
    EXPECT_EQ((std::vector<Row>{{std::string("sim")}}), rows) << uri;
  }
  std::filesystem::remove(spaced);
  Config().database_uri = "postgresql://[nada";
  EXPECT_THROW(module.Select("SELECT 1", {}, {}), Exception);
}

TEST(DialectTest, ComesFromTheUri) {
  EXPECT_EQ(Dialect::kSqlite, DialectOfUri("sqlite:/tmp/a.db"));
  EXPECT_EQ(Dialect::kPostgresql, DialectOfUri("postgresql://localhost/extrato"));
  EXPECT_EQ(Dialect::kDefault, DialectOfUri("odbc:x"));
}

}  // namespace
}  // namespace host
