// The version of the programs, shown by `extrato --version` and the desktop
// host's "Sobre" box.
#ifndef EXTRATO_APPS_COMMON_VERSION_H_
#define EXTRATO_APPS_COMMON_VERSION_H_

namespace apps {

inline constexpr const char* kVersion = "0.2.0";

}  // namespace apps

#endif  // EXTRATO_APPS_COMMON_VERSION_H_
