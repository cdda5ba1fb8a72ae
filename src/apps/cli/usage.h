#ifndef EXTRATO_APPS_CLI_USAGE_H_
#define EXTRATO_APPS_CLI_USAGE_H_

// How the command line presents itself: help in Portuguese, usage errors in
// Portuguese, the version, and the exit statuses.

#include <string>

#include <CLI/CLI.hpp>

namespace cli {

// The program's version, as built.
std::string Version();

// Sets the help flag, --version, the Portuguese labels of the help text and the
// footer that lists the exit statuses. Call before adding subcommands: they
// inherit it.
void PresentInPortuguese(CLI::App& app);

// Gives every subcommand, at any depth, Portuguese group names. Call after the
// subcommands are added.
void NameGroupsInPortuguese(CLI::App& app);

// The Portuguese text of a usage error that CLI11 words in English.
std::string UsageErrorText(const CLI::Error& error);

// A validator that accepts only these values, listed in its message.
CLI::Validator OneOf(std::vector<std::string> values);

}  // namespace cli

#endif  // EXTRATO_APPS_CLI_USAGE_H_
