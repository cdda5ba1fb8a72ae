#ifndef EXTRATO_APPS_CLI_USAGE_H_
#define EXTRATO_APPS_CLI_USAGE_H_

// How the command line presents itself: the version and the exit statuses, over
// the Portuguese help and usage errors both programs share.

#include <string>

#include <CLI/CLI.hpp>

#include "apps/common/portuguese_cli.h"

namespace cli {

using apps::OneOf;

// The program's version, as built.
std::string Version();

// Sets the help flag, --version, the Portuguese labels of the help text and the
// footer that lists the exit statuses. Call before adding subcommands: they
// inherit it.
void PresentInPortuguese(CLI::App& app);

}  // namespace cli

#endif  // EXTRATO_APPS_CLI_USAGE_H_
