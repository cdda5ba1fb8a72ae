#include "apps/gui/screen_module.h"

#include <dlfcn.h>

#include <fmt/format.h>

#include "host/exceptions.h"

namespace gui {

ScreenModule::ScreenModule(std::string file_name)
    : file_name_(std::move(file_name)), handle_(dlopen(file_name_.c_str(), RTLD_NOW)) {
  if (handle_ == nullptr) {
    throw host::Exception(
        fmt::format("Não foi possível carregar o módulo {}: {}", file_name_, dlerror()));
  }
}

ScreenModule::Entry ScreenModule::FindEntry(const std::string& name) const {
  void* symbol = dlsym(handle_, name.c_str());
  if (symbol == nullptr) {
    throw host::Exception(fmt::format("O módulo {} não exporta a entrada {}.", file_name_, name));
  }
  return reinterpret_cast<Entry>(symbol);
}

}  // namespace gui
