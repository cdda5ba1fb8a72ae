#ifndef EXTRATO_APPS_COMMON_MESSAGE_DETAIL_H_
#define EXTRATO_APPS_COMMON_MESSAGE_DETAIL_H_

// One line more under a message of the screen's table, where the front end knows
// what was looked up and how to fix it. The table's messages stay as they are.

#include <functional>
#include <optional>
#include <string>

#include "apps/common/import_summary.h"
#include "host/net_connection.h"

namespace apps {

// Where the user registers what a lookup did not find.
enum class Registration { kCommandLine, kMenu };

struct DetailContext {
  std::string bank;  // the bank code in the screen's field
  std::string file;  // the path in the screen's file field
  // What the run told of itself; null: no run.
  const ImportSummary* run = nullptr;
  // Calls a method of the application server and answers its payload; throws on
  // failure.
  std::function<host::Variant(const std::string& method, const host::Variant& params)> call;
  Registration registration = Registration::kCommandLine;
};

std::optional<std::string> MessageDetail(const std::string& text, const DetailContext& context);

// Why a path that exists is no statement file: a folder, a FIFO, a device.
std::optional<std::string> NotAFileDetail(const std::string& path);

// Where the path names no file: the path itself, and a missing folder.
std::optional<std::string> MissingFileDetail(const std::string& path);

// The width that most (eight in ten) of the file's lines have; nothing otherwise.
// Reads at most the first `lines` lines.
std::optional<std::size_t> CommonLineWidth(const std::string& path, int lines = 200);

}  // namespace apps

#endif  // EXTRATO_APPS_COMMON_MESSAGE_DETAIL_H_
