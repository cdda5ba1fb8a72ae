#ifndef EXTRATO_HOST_SCREEN_MODULE_H_
#define EXTRATO_HOST_SCREEN_MODULE_H_

#include <string>

namespace host {

// Where a screen module's file is: next to the host library this program runs
// with, so that the build tree and an installed tree each find their own.
std::string ScreenModulePath(const std::string& file_name);

// A screen module loaded by name with dlopen. A host never links a module: it
// finds the module's entries by name. The module stays loaded for the life of
// the process, since the screens it created outlive any one call.
class ScreenModule {
 public:
  using Entry = void (*)();

  // Throws host::Exception with the loader's reason when the file cannot be loaded.
  explicit ScreenModule(std::string path);
  ScreenModule(const ScreenModule&) = delete;
  ScreenModule& operator=(const ScreenModule&) = delete;

  // Throws host::Exception when the module exports no entry of that name.
  Entry FindEntry(const std::string& name) const;

 private:
  std::string path_;
  void* handle_;
};

}  // namespace host

#endif  // EXTRATO_HOST_SCREEN_MODULE_H_
