#ifndef EXTRATO_APPS_GUI_SCREEN_MODULE_H_
#define EXTRATO_APPS_GUI_SCREEN_MODULE_H_

#include <string>

namespace gui {

// A screen module loaded by name with dlopen. The host never links a module: it
// finds the module's entries by name. A module stays loaded for the life of the
// process, since the screens it created outlive any one call.
class ScreenModule {
 public:
  using Entry = void (*)();

  // Throws host::Exception with the loader's reason when the file cannot be loaded.
  explicit ScreenModule(std::string file_name);
  ScreenModule(const ScreenModule&) = delete;
  ScreenModule& operator=(const ScreenModule&) = delete;

  // Throws host::Exception when the module exports no entry of that name.
  Entry FindEntry(const std::string& name) const;

 private:
  std::string file_name_;
  void* handle_;
};

}  // namespace gui

#endif  // EXTRATO_APPS_GUI_SCREEN_MODULE_H_
