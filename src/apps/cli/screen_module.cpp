#include "apps/cli/screen_module.h"

#include <dlfcn.h>

#include <filesystem>
#include <stdexcept>

#include <fmt/format.h>

#include "host/application.h"

namespace cli {

namespace {

constexpr const char* kModuleFile = "libQAR62700.so";

std::string LoaderError() {
  const char* error = dlerror();
  return error != nullptr ? error : "motivo desconhecido";
}

}  // namespace

std::string ScreenModulePath() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&host::GetApplication), &info) == 0 ||
      info.dli_fname == nullptr) {
    return kModuleFile;
  }
  return (std::filesystem::path(info.dli_fname).parent_path() / kModuleFile).string();
}

ScreenModule::ScreenModule(const std::string& path) {
  void* handle = dlopen(path.c_str(), RTLD_NOW);
  if (handle == nullptr) {
    throw std::runtime_error(
        fmt::format("Não foi possível carregar o módulo da tela ({}): {}", path, LoaderError()));
  }
  ini_proc_ = reinterpret_cast<void (*)()>(dlsym(handle, "IniProc"));
  if (ini_proc_ == nullptr) {
    dlclose(handle);
    throw std::runtime_error(
        fmt::format("O módulo {} não exporta IniProc: {}", path, LoaderError()));
  }
}

}  // namespace cli
