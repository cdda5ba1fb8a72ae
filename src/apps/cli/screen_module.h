#ifndef EXTRATO_APPS_CLI_SCREEN_MODULE_H_
#define EXTRATO_APPS_CLI_SCREEN_MODULE_H_

// The import screen's loadable module, as the host application opens it.

#include <string>

namespace cli {

// The module's file: next to the host library this program runs with, so the
// build tree and an installed tree both find their own.
std::string ScreenModulePath();

class ScreenModule {
 public:
  // Loads the module. Throws std::runtime_error with the loader's reason.
  explicit ScreenModule(const std::string& path);
  ScreenModule(const ScreenModule&) = delete;
  ScreenModule& operator=(const ScreenModule&) = delete;
  // The module stays loaded for the life of the process: the host application
  // owns the screens it created, and their code lives in the module.

  // Opens the screen through the module's start entry.
  void IniProc() const { ini_proc_(); }

 private:
  void (*ini_proc_)() = nullptr;
};

}  // namespace cli

#endif  // EXTRATO_APPS_CLI_SCREEN_MODULE_H_
