#include <latch>
#include <thread>

#include <gtest/gtest.h>

#include "testing/test_database.h"

namespace server::testing {
namespace {

class ConcurrencyTest : public ServiceTest {};
EXTRATO_ON_EVERY_DATABASE(ConcurrencyTest);

TEST_P(ConcurrencyTest, SameMovementsFromTwoClientsAtOnceAreStoredOnce) {
  for (int round = 1; round <= 5; ++round) {
    std::string statement = fmt::format("{:010}", round);
    std::string account = fmt::format("{:03}", round);
    json request = {
        {"method", "Set_Real_Bradesco"},
        {"params", {MovementPacket(NumberedMovements(600, account, statement)), nullptr}}};
    std::latch start(2);
    json answers[2];
    auto submit = [&](int client) {
      start.arrive_and_wait();
      answers[client] = service().Handle(request);
    };
    std::thread first(submit, 0), second(submit, 1);
    first.join();
    second.join();
    EXPECT_EQ(answers[0]["ok"], true) << answers[0].dump();
    EXPECT_EQ(answers[1]["ok"], true) << answers[1].dump();
    EXPECT_NE(answers[0]["result"], answers[1]["result"]) << "round " << round;
    EXPECT_EQ(Count("SELECT COUNT(*) FROM MOVREAL WHERE CDSEQUEXTR = '" + statement + "'"), 600);
  }
  EXPECT_EQ(Count("SELECT COUNT(*) FROM LOGIMPEXTR"), 5);
}

TEST_P(ConcurrencyTest, FirstImportsAtOnceAllRememberTheFolder) {
  constexpr int kClients = 8;
  std::latch start(kClients);
  std::vector<json> answers(kClients);
  std::vector<std::thread> threads;
  for (int client = 0; client < kClients; ++client) {
    threads.emplace_back([&, client] {
      host::ChangeSet insert{
          {{"CDPROGRAMA", host::FieldType::kText, 8}, {"DSDIRETORIO", host::FieldType::kText, 100}},
          {{host::ChangeOp::kInsert, {}, {"QAR62700", fmt::format("/extratos/{}/", client)}}}};
      start.arrive_and_wait();
      answers[client] = service().Handle(
          {{"method", "SetDiretorio"}, {"params", json::array({host::ToJson(insert)})}});
    });
  }
  for (std::thread& thread : threads)
    thread.join();
  for (const json& answer : answers)
    EXPECT_EQ(answer, json({{"ok", true}, {"result", nullptr}}));
  EXPECT_EQ(Count("SELECT COUNT(*) FROM DIRETORIO WHERE CDPROGRAMA = 'QAR62700'"), 1);
}

// Movement `i` of the account's history, as every file that holds it writes it.
Movement HistoryMovement(int i) {
  return {"001",   "", "", fmt::format("{:020}", i), fmt::format("2024-03-{:02}", 1 + i % 28),
          i + 0.37};
}

// What a Bradesco import does with the movements first..last of the history: takes a
// statement code and stores its header at once, looks every movement up, numbers the
// new ones and submits them. When another client took the same code first, or the
// submission is refused, it starts again, as a user re-running the file would.
// Answers the number of runs it took.
int ImportLikeAClient(Service& service, int first, int last) {
  auto call = [&service](const std::string& method, json params) {
    return service.Handle({{"method", method}, {"params", std::move(params)}});
  };
  auto result = [&call](const std::string& method, json params) {
    json answer = call(method, std::move(params));
    if (answer.value("ok", false) != true)
      throw std::runtime_error(method + ": " + answer.dump());
    return answer["result"];
  };
  for (int run = 1; run <= 200; ++run) {
    std::string statement = result("GetPrxMovReal", {"001", 1}).get<std::string>();
    json header = HeaderInsert(NewHeader("001", statement, "2024-03-01", 100.0));
    if (call("SetExtrBanco", {header}).value("ok", false) != true)
      continue;  // another client's header has this code
    std::vector<Movement> fresh;
    for (int i = first; i <= last; ++i) {
      Movement movement = HistoryMovement(i);
      if (!result("GetPesqLanc", {"001", movement.document, movement.date, movement.amount})["rows"]
               .empty())
        continue;
      movement.statement = statement;
      movement.number = fmt::format("{:010}", fresh.size() + 1);
      fresh.push_back(movement);
    }
    if (result("Set_Real_Bradesco", {MovementPacket(fresh), nullptr}).get<bool>())
      return run;
  }
  throw std::runtime_error("a client was refused 200 times");
}

// Each movement's account, document, date and amount, with how many times it is stored.
std::string StoredHistory(soci::session& sql) {
  soci::rowset<soci::row> rows =
      sql.prepare << "SELECT NRDOCMOVREAL, CAST(COUNT(*) AS VARCHAR(10)) FROM MOVREAL "
                     "GROUP BY CDREDUCONT, NRDOCMOVREAL, DTMOVREAL, VRMOVREAL ORDER BY 1";
  std::string history;
  for (const soci::row& row : rows) {
    history += fmt::format("{} x{}\n", row.get<std::string>(0), row.get<std::string>(1));
  }
  return history;
}

// Four overlapping files (movements 0-199, 100-299, 200-399, 300-499 of one account)
// imported by many clients at once store each movement once, and leave the same
// movements as the four files imported one after another.
TEST_P(ConcurrencyTest, OverlappingFilesFromManyClientsStoreEachMovementOnce) {
  const int ranges[4][2] = {{0, 199}, {100, 299}, {200, 399}, {300, 499}};
  soci::session sql;
  Connect(sql, ParseDatabaseUri(uri()));

  TestDatabase one_by_one_db(GetParam());
  {
    auto one_by_one = Service::Open({one_by_one_db.uri(), 1, true});
    for (const auto& range : ranges)
      EXPECT_EQ(ImportLikeAClient(*one_by_one, range[0], range[1]), 1);
  }
  soci::session one_by_one_sql;
  Connect(one_by_one_sql, ParseDatabaseUri(one_by_one_db.uri()));
  std::string expected = StoredHistory(one_by_one_sql);
  EXPECT_EQ(std::count(expected.begin(), expected.end(), '\n'), 500);
  EXPECT_EQ(expected.find("x2"), std::string::npos);

  for (int clients : {8, 32}) {
    Exec("DELETE FROM MOVREAL");
    Exec("DELETE FROM EXTRBANCO");
    std::latch start(clients);
    std::vector<std::thread> threads;
    std::atomic<int> failures{0};
    for (int client = 0; client < clients; ++client) {
      threads.emplace_back([&, client] {
        start.arrive_and_wait();
        try {
          ImportLikeAClient(service(), ranges[client % 4][0], ranges[client % 4][1]);
        } catch (const std::exception& e) {
          ++failures;
          ADD_FAILURE() << e.what();
        }
      });
    }
    for (std::thread& thread : threads)
      thread.join();
    EXPECT_EQ(failures, 0);
    std::string stored = StoredHistory(sql);
    EXPECT_TRUE(stored == expected)
        << clients << " clients stored " << std::count(stored.begin(), stored.end(), '\n')
        << " movements, some of them more than once: " << stored.substr(0, 200);
  }
}

}  // namespace
}  // namespace server::testing
