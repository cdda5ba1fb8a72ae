#ifndef EXTRATO_APPS_CLI_INTERRUPT_H_
#define EXTRATO_APPS_CLI_INTERRUPT_H_

// Ctrl-C during an import: the run stops at the next line it reads, before its
// submission, so that no movement is stored in part; once the submission has
// begun, it finishes, and the person is told.

namespace cli {

// While it lives, SIGINT only raises a flag; a second SIGINT ends the process as
// usual. Blocking calls are restarted, not failed, when the signal arrives.
class InterruptWatch {
 public:
  InterruptWatch();
  ~InterruptWatch();
  InterruptWatch(const InterruptWatch&) = delete;
  InterruptWatch& operator=(const InterruptWatch&) = delete;

  // Whether SIGINT arrived since the watch began.
  static bool Interrupted();
  // While the submission stores, SIGINT cannot stop it: the person is told so at
  // once. The flag stays raised, for whoever decides what comes after.
  static void Storing(bool storing);
};

}  // namespace cli

#endif  // EXTRATO_APPS_CLI_INTERRUPT_H_
