#include "apps/cli/interrupt.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>

namespace cli {

namespace {

std::atomic<bool> interrupted{false};
std::atomic<bool> storing{false};
struct sigaction previous;

constexpr char kStoringGoesOn[] =
    "\nA gravação já começou e vai até o fim (tudo ou nada); aguarde.\n";

void RaiseFlag(int) {
  interrupted.store(true);
  // write(2) is safe in a signal handler; streams are not.
  if (storing.load()) {
    ssize_t written = write(STDERR_FILENO, kStoringGoesOn, sizeof kStoringGoesOn - 1);
    static_cast<void>(written);
  }
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

void InterruptWatch::Storing(bool now) {
  storing.store(now);
}

}  // namespace cli
