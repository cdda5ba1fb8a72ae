#include <chrono>
#include <future>
#include <memory>

#include <gtest/gtest.h>

#include "server/demo_data.h"
#include "server/schema.h"
#include "server/write_transaction.h"
#include "testing/test_database.h"

namespace server::testing {
namespace {

class SchemaTest : public ::testing::TestWithParam<Backend> {
 protected:
  void SetUp() override {
    if (!Available(GetParam()))
      GTEST_SKIP() << kNoPostgresql;
    database_ = std::make_unique<TestDatabase>(GetParam());
  }

  const std::string& uri() const { return database_->uri(); }

  void Exec(const std::string& statement) {
    soci::session session;
    Connect(session, ParseDatabaseUri(uri()));
    session << statement;
  }

  int Count(const std::string& query) {
    soci::session session;
    Connect(session, ParseDatabaseUri(uri()));
    int count = 0;
    session << query, soci::into(count);
    return count;
  }

  std::string OpenError() {
    try {
      Service::Open({uri(), 1, false});
    } catch (const DatabaseError& e) {
      return e.what();
    }
    return "";
  }

 private:
  std::unique_ptr<TestDatabase> database_;
};
EXTRATO_ON_EVERY_DATABASE(SchemaTest);

TEST_P(SchemaTest, InitIsIdempotentAndKeepsTheData) {
  InitSchema(uri());
  Exec("INSERT INTO BANCO VALUES ('237', 'BRADESCO', '237', '9999999-9')");
  InitSchema(uri());
  EXPECT_EQ(Count("SELECT MAX(NRVERSAO) FROM VERSAOESQUEMA"), kSchemaVersion);
  EXPECT_EQ(Count("SELECT COUNT(*) FROM VERSAOESQUEMA"), 1);
  EXPECT_EQ(Count("SELECT COUNT(*) FROM BANCO"), 1);
  EXPECT_EQ(OpenError(), "");
}

// Another process importing holds the write lock; a start on current tables reads
// their version and goes on, instead of waiting for that import to commit.
TEST_P(SchemaTest, AStartOnCurrentTablesDoesNotWaitForAWriter) {
  InitSchema(uri());
  DatabaseUri parsed = ParseDatabaseUri(uri());
  soci::session writer;
  Connect(writer, parsed);
  auto held = std::make_unique<WriteTransaction>(writer, parsed.dialect);
  if (parsed.dialect == Dialect::kPostgresql)
    writer << "LOCK TABLE VERSAOESQUEMA IN EXCLUSIVE MODE";
  auto start = std::async(std::launch::async, [this] { InitSchema(uri()); });
  bool waited = start.wait_for(std::chrono::seconds(5)) != std::future_status::ready;
  held.reset();  // lets a waiting start end, so that the test ends either way
  start.get();
  EXPECT_FALSE(waited);
}

TEST_P(SchemaTest, ServiceNeedsTheTablesOfItsVersion) {
  EXPECT_EQ(OpenError(),
            fmt::format("O banco de dados {0} não tem as tabelas do extrato: execute 'extrato db "
                        "init --db {0}'.",
                        ParseDatabaseUri(uri()).text));
  InitSchema(uri());
  Exec("UPDATE VERSAOESQUEMA SET NRVERSAO = 99");
  EXPECT_EQ(OpenError(), fmt::format("O banco de dados {} está na versão 99 do esquema e este "
                                     "programa usa a versão {}.",
                                     ParseDatabaseUri(uri()).text, kSchemaVersion));
  try {
    InitSchema(uri());
    FAIL() << "a newer schema was migrated";
  } catch (const DatabaseError& e) {
    EXPECT_EQ(e.what(), fmt::format("O banco de dados está na versão 99 do esquema, mais nova que "
                                    "a deste programa ({}).",
                                    kSchemaVersion));
  }
}

TEST_P(SchemaTest, DemoHasEveryAccountTypeForEachBankAndLoadsOnce) {
  DemoCounts first = LoadDemo(uri());
  DemoCounts second = LoadDemo(uri());
  EXPECT_EQ(first.banks, 9);
  EXPECT_EQ(first.accounts, 29);
  EXPECT_EQ(first.layouts, 1);
  EXPECT_EQ(second.banks, first.banks);
  EXPECT_EQ(second.accounts, first.accounts);
  EXPECT_EQ(
      Count("SELECT COUNT(*) FROM BANCO WHERE CDBANCO IN ('237', '341', '033', '356', '001')"), 5);
  EXPECT_EQ(Count("SELECT COUNT(*) FROM (SELECT CDBANCO FROM CONTCORR GROUP BY CDBANCO "
                  "HAVING COUNT(DISTINCT IDTIPOCONTA) = 3) banks"),
            9);
  // Each account number has one character per place of its bank's mask other than "-".
  EXPECT_EQ(Count("SELECT COUNT(*) FROM CONTCORR C JOIN BANCO B ON B.CDBANCO = C.CDBANCO "
                  "WHERE LENGTH(C.NRCONTCORR) <> LENGTH(REPLACE(B.CDPICTCONT, '-', ''))"),
            0);
  EXPECT_EQ(Count("SELECT COUNT(*) FROM LAYOUTBANCO WHERE CDEMPRESA = '1' AND CDBANCO = '341' "
                  "AND IDLAYOUT = '240'"),
            1);
}

}  // namespace
}  // namespace server::testing
