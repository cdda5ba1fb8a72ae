#include <latch>
#include <thread>

#include <gtest/gtest.h>

#include "server/test_database.h"

namespace server::testing {
namespace {

class ConcurrencyTest : public ServiceTest {};
EXTRATO_ON_EVERY_DATABASE(ConcurrencyTest);

TEST_P(ConcurrencyTest, SameMovementsFromTwoClientsAtOnceAreStoredOnce) {
  for (int round = 1; round <= 5; ++round) {
    std::string statement = fmt::format("{:010}", round);
    json request = {
        {"method", "Set_Real_Bradesco"},
        {"params", {MovementPacket(NumberedMovements(600, "001", statement)), nullptr}}};
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

}  // namespace
}  // namespace server::testing
