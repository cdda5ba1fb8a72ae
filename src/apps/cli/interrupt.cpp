#include "apps/cli/interrupt.h"

#include <signal.h>

#include <atomic>

namespace cli {

namespace {

std::atomic<bool> interrupted{false};
struct sigaction previous;

void RaiseFlag(int) {
  interrupted.store(true);
}

}  // namespace

InterruptWatch::InterruptWatch() {
  interrupted.store(false);
  struct sigaction action = {};
  action.sa_handler = RaiseFlag;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART | SA_RESETHAND;
  sigaction(SIGINT, &action, &previous);
}

InterruptWatch::~InterruptWatch() {
  sigaction(SIGINT, &previous, nullptr);
}

bool InterruptWatch::Interrupted() {
  return interrupted.load();
}

}  // namespace cli
