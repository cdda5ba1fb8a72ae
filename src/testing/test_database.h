// Test support: a fresh database for each test, on SQLite and on PostgreSQL.
#ifndef EXTRATO_TESTING_TEST_DATABASE_H_
#define EXTRATO_TESTING_TEST_DATABASE_H_

#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include <fmt/format.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "host/record_set.h"
#include "host/soci.h"
#include "server/database.h"
#include "server/service.h"

namespace server::testing {

using nlohmann::json;

enum class Backend { kSqlite, kPostgresql };

inline std::string BackendName(const ::testing::TestParamInfo<Backend>& info) {
  return info.param == Backend::kSqlite ? "SQLite" : "PostgreSQL";
}

// The PostgreSQL database the test run may use; empty when there is none.
inline std::string PostgresqlTestUri() {
  const char* uri = std::getenv("EXTRATO_TEST_PG_URI");
  return uri ? uri : "";
}

// False for PostgreSQL when the run has no test database for it.
inline bool Available(Backend backend) {
  return backend == Backend::kSqlite || !PostgresqlTestUri().empty();
}
inline constexpr const char* kNoPostgresql = "EXTRATO_TEST_PG_URI is not set";

// An empty database of its own: a new SQLite file in a temporary folder, or a new
// schema in the PostgreSQL test database, dropped again at the end.
class TestDatabase {
 public:
  explicit TestDatabase(Backend backend) : backend_(backend) {
    static std::atomic<int> counter{0};
    std::string name = fmt::format("extrato_t{}_{}", getpid(), counter++);
    if (backend == Backend::kSqlite) {
      folder_ = std::filesystem::temp_directory_path() / name;
      std::filesystem::create_directories(folder_);
      uri_ = "sqlite:" + (folder_ / "extrato.db").string();
    } else {
      std::string base = PostgresqlTestUri();
      Connect(admin_, ParseDatabaseUri(base));
      schema_ = name;
      admin_ << "CREATE SCHEMA " + schema_;
      // The application name tells this test's connections apart from other tests'.
      uri_ = fmt::format("{}{}options=-csearch_path%3D{}&application_name={}", base,
                         base.find('?') == std::string::npos ? "?" : "&", schema_, schema_);
    }
  }

  ~TestDatabase() {
    if (backend_ == Backend::kSqlite) {
      std::filesystem::remove_all(folder_);
    } else {
      admin_ << "DROP SCHEMA " + schema_ + " CASCADE";
    }
  }

  const std::string& uri() const { return uri_; }
  // SQLite: the temporary folder that holds the file, for the test's other files too.
  const std::filesystem::path& folder() const { return folder_; }
  // PostgreSQL: the schema, which is also the application name of the connections.
  const std::string& schema() const { return schema_; }

 private:
  Backend backend_;
  std::string uri_;
  std::filesystem::path folder_;
  soci::session admin_;
  std::string schema_;
};

// A service over a fresh database with the tables created, and a session of its own
// to arrange and inspect the tables.
class ServiceTest : public ::testing::TestWithParam<Backend> {
 protected:
  void SetUp() override {
    if (!Available(GetParam()))
      GTEST_SKIP() << kNoPostgresql;
    database_ = std::make_unique<TestDatabase>(GetParam());
    service_ = Service::Open({database_->uri(), 4, true});
    Connect(sql_, ParseDatabaseUri(database_->uri()));
  }

  void TearDown() override {
    if (sql_.is_connected())
      sql_.close();
    service_.reset();
    database_.reset();
  }

  json Call(const std::string& method, json params) {
    return service_->Handle({{"method", method}, {"params", std::move(params)}});
  }

  // The payload of a call that must succeed.
  json Result(const std::string& method, json params) {
    json answer = Call(method, std::move(params));
    EXPECT_EQ(answer.value("ok", false), true) << method << ": " << answer.dump();
    return answer.value("result", json());
  }

  // The message of a call that must fail.
  std::string Error(const std::string& method, json params) {
    json answer = Call(method, std::move(params));
    EXPECT_EQ(answer.value("ok", true), false) << method << ": " << answer.dump();
    return answer.value("error", "");
  }

  void Exec(const std::string& statement) { sql_ << statement; }

  int Count(const std::string& query) {
    int count = 0;
    sql_ << query, soci::into(count);
    return count;
  }

  void AddBank(const std::string& code, const std::string& cnab, const std::string& mask) {
    Exec(fmt::format("INSERT INTO BANCO VALUES ('{}', 'BANCO {}', '{}', '{}')", code, code, cnab,
                     mask));
  }

  void AddAccount(const std::string& reduced, const std::string& bank, const std::string& agency,
                  const std::string& number, const std::string& type) {
    Exec(fmt::format("INSERT INTO CONTCORR VALUES ('{}', '{}', '{}', '{}', '{}', 'CONTA {}')",
                     reduced, bank, agency, number, type, reduced));
  }

  // Bank 237 and its account 001, as the demonstration data has them.
  void AddBradescoAccount() {
    AddBank("237", "237", "9999999-9");
    AddAccount("001", "237", "3509", "00125668", "C");
  }

  Service& service() { return *service_; }
  soci::session& sql() { return sql_; }
  const std::string& uri() const { return database_->uri(); }
  const TestDatabase& database() const { return *database_; }

 private:
  std::unique_ptr<TestDatabase> database_;
  std::unique_ptr<Service> service_;
  soci::session sql_;
};

#define EXTRATO_ON_EVERY_DATABASE(Suite)                                               \
  INSTANTIATE_TEST_SUITE_P(Databases, Suite,                                           \
                           ::testing::Values(::server::testing::Backend::kSqlite,      \
                                             ::server::testing::Backend::kPostgresql), \
                           ::server::testing::BackendName)

// Builders of the packets and change sets a screen sends.

inline const std::vector<host::FieldDef>& MovementFields() {
  using host::FieldType;
  static const std::vector<host::FieldDef> fields = {
      {"CDREDUCONT", FieldType::kText, 3},    {"CDSEQUEXTR", FieldType::kText, 10},
      {"NRSEQMOVREAL", FieldType::kText, 10}, {"NRDOCMOVREAL", FieldType::kText, 20},
      {"DTMOVREAL", FieldType::kDate, 0},     {"VRMOVREAL", FieldType::kFloat, 0},
      {"IDMOVREAL", FieldType::kText, 1},     {"DSHISTMOVREAL", FieldType::kText, 40},
      {"IDTIPOREGI", FieldType::kText, 2},    {"CDCATELANC", FieldType::kText, 4},
      {"IDSTCONMVBAN", FieldType::kText, 1},  {"IDTPMOVREAL", FieldType::kText, 1},
  };
  return fields;
}

struct Movement {
  std::string account = "001";
  std::string statement = "0000000001";
  std::string number = "0000000001";
  std::string document = "000000000000000DOC01";
  std::string date = "2024-03-01";
  double amount = 10.0;
  std::string direction = "C";

  host::Row ToRow() const {
    return {account, statement, number,      document, *host::Date::FromIso(date),
            amount,  direction, "HISTORICO", "1",      "100",
            "0",     "0"};
  }
};

inline json MovementPacket(const std::vector<Movement>& movements) {
  host::Packet packet{MovementFields(), {}};
  for (const Movement& movement : movements)
    packet.rows.push_back(movement.ToRow());
  return host::ToJson(packet);
}

// Movements numbered 1 to count of one statement, each with its own document.
inline std::vector<Movement> NumberedMovements(int count, const std::string& account = "001",
                                               const std::string& statement = "0000000001") {
  std::vector<Movement> movements;
  for (int i = 1; i <= count; ++i) {
    movements.push_back({account, statement, fmt::format("{:010}", i), fmt::format("{:020}", i),
                         "2024-03-01", i + 0.25});
  }
  return movements;
}

inline std::vector<host::FieldDef> HeaderFields() {
  using host::FieldType;
  return {{"CDREDUCONT", FieldType::kText, 3},  {"CDSEQUEXTR", FieldType::kText, 10},
          {"DTSALDINIC", FieldType::kDate, 0},  {"DTSALDFIN", FieldType::kDate, 0},
          {"VRSALDINIC", FieldType::kFloat, 0}, {"VRSALDFIM", FieldType::kFloat, 0},
          {"IDEXTRINI", FieldType::kText, 1},   {"IDEXTRFIM", FieldType::kText, 1}};
}

// A new header as an import inserts it: the final balance still empty.
inline host::Row NewHeader(const std::string& account, const std::string& code,
                           const std::string& date, double balance) {
  return {account,
          code,
          *host::Date::FromIso(date),
          std::monostate{},
          balance,
          std::monostate{},
          "C",
          std::monostate{}};
}

inline json HeaderInsert(const host::Row& header) {
  host::ChangeSet changes{HeaderFields(), {{host::ChangeOp::kInsert, {}, header}}};
  return host::ToJson(changes);
}

}  // namespace server::testing

#endif  // EXTRATO_TESTING_TEST_DATABASE_H_
