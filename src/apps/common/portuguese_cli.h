#ifndef EXTRATO_APPS_COMMON_PORTUGUESE_CLI_H_
#define EXTRATO_APPS_COMMON_PORTUGUESE_CLI_H_

// How both programs present their command lines: help and usage errors in
// Portuguese, and the nearest word for one that was not understood.

#include <string>
#include <vector>

#include <CLI/CLI.hpp>

namespace apps {

// Sets the help flag, the Portuguese labels of the help text and the text of
// usage errors. Call before adding subcommands: they inherit it.
void PresentInPortuguese(CLI::App& app);

// Gives every subcommand, at any depth, Portuguese group names. Call after the
// subcommands are added.
void NameGroupsInPortuguese(CLI::App& app);

// The Portuguese text of a usage error of `app` (the program's, after parsing),
// naming a word it did not understand and the nearest one it knows.
std::string UsageErrorText(const CLI::App& app, const CLI::Error& error);

// A validator that accepts only these values, listed in its message.
CLI::Validator OneOf(std::vector<std::string> values);

// Of `known`, the one a typing slip away from `typed`; empty when none is.
std::string Nearest(const std::string& typed, const std::vector<std::string>& known);

}  // namespace apps

#endif  // EXTRATO_APPS_COMMON_PORTUGUESE_CLI_H_
