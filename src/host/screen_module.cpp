#include "host/screen_module.h"

#include <dlfcn.h>

#include <filesystem>

#include <fmt/format.h>

#include "host/application.h"
#include "host/exceptions.h"

namespace host {

namespace {

std::string LoaderError() {
  const char* error = dlerror();
  return error != nullptr ? error : "motivo desconhecido";
}

}  // namespace

std::string ScreenModulePath(const std::string& file_name) {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&GetApplication), &info) == 0 || info.dli_fname == nullptr) {
    return file_name;
  }
  return (std::filesystem::path(info.dli_fname).parent_path() / file_name).string();
}

ScreenModule::ScreenModule(std::string path)
    : path_(std::move(path)), handle_(dlopen(path_.c_str(), RTLD_NOW)) {
  if (handle_ == nullptr) {
    throw Exception(fmt::format("Não foi possível carregar o módulo {}: {}", path_, LoaderError()));
  }
}

ScreenModule::Entry ScreenModule::FindEntry(const std::string& name) const {
  void* symbol = dlsym(handle_, name.c_str());
  if (symbol == nullptr) {
    throw Exception(fmt::format("O módulo {} não exporta a entrada {}.", path_, name));
  }
  return reinterpret_cast<Entry>(symbol);
}

}  // namespace host
