#ifndef EXTRATO_APPS_GUI_LAUNCH_OPTIONS_H_
#define EXTRATO_APPS_GUI_LAUNCH_OPTIONS_H_

#include <optional>
#include <string>

namespace gui {

// What the desktop host is started with, beyond Qt's own options.
struct LaunchOptions {
  // "sqlite:PATH" or a "postgresql://" URI; empty: the default database. The
  // embedded server stores there, and the bank lookup reads it.
  std::string database_uri;
  // A running `extrato serve` ("http://HOST:PORT" or "https://HOST:PORT"); empty:
  // the server runs embedded in this process, with no port.
  std::string server_url;
  // PEM authorities for an https:// server's certificate; empty: EXTRATO_CA or the
  // system's.
  std::string ca_file;
};

// Reads the options; on --help or a usage error it prints what it has to say and
// answers the exit status the program ends with.
std::optional<int> ParseLaunchOptions(int argc, char** argv, LaunchOptions& options);

}  // namespace gui

#endif  // EXTRATO_APPS_GUI_LAUNCH_OPTIONS_H_
