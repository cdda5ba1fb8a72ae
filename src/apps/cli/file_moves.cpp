#include "apps/cli/file_moves.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include <fmt/format.h>

#include "host/visible_text.h"

namespace cli {

namespace {

namespace fs = std::filesystem;

// Names tried before giving up on a folder full of files of the same name.
constexpr int kMaxNumbered = 1000;

fs::path Numbered(const fs::path& file, int number) {
  if (number == 0)
    return file.filename();
  return fmt::format("{}.{}{}", file.stem().string(), number, file.extension().string());
}

std::string Why(const std::error_code& error) {
  if (error == std::errc::permission_denied || error == std::errc::operation_not_permitted)
    return "sem permissão de escrita";
  if (error == std::errc::read_only_file_system)
    return "sistema de arquivos somente para leitura";
  if (error == std::errc::no_space_on_device)
    return "não há espaço no disco";
  return error.message();
}

std::string Failure(const fs::path& folder, const std::string& why) {
  return fmt::format("não foi possível movê-lo para {}: {}", host::VisibleText(folder.string()),
                     why);
}

// Across file systems a link cannot be made: a copy that never replaces a file,
// then the original removed.
std::error_code CopyAndRemove(const fs::path& file, const fs::path& target) {
  std::error_code error;
  fs::copy_file(file, target, fs::copy_options::none, error);
  if (error) {
    if (error != std::errc::file_exists)
      fs::remove(target, error);
    return error ? error : std::make_error_code(std::errc::io_error);
  }
  if (!fs::remove(file, error) || error) {
    std::error_code ignored;
    fs::remove(target, ignored);
    return error ? error : std::make_error_code(std::errc::no_such_file_or_directory);
  }
  return {};
}

// A hard link fails on a name that exists, so no file is ever replaced.
std::error_code LinkAndUnlink(const fs::path& file, const fs::path& target) {
  if (::link(file.c_str(), target.c_str()) != 0) {
    int link_error = errno;
    if (link_error == EXDEV || link_error == EPERM || link_error == ENOTSUP)
      return CopyAndRemove(file, target);
    return std::error_code(link_error, std::generic_category());
  }
  if (::unlink(file.c_str()) != 0) {
    int unlink_error = errno;
    ::unlink(target.c_str());
    return std::error_code(unlink_error, std::generic_category());
  }
  return {};
}

}  // namespace

Moved MoveInto(const std::string& file, const std::string& folder) {
  std::error_code error;
  if (!fs::is_regular_file(file, error))
    return {"", "não há arquivo a mover"};
  if (!fs::is_directory(folder, error))
    return {"", Failure(folder, "a pasta não existe")};
  fs::path source = fs::absolute(file, error);
  // Already where it was to go: nothing to move.
  if (fs::equivalent(source.parent_path(), folder, error))
    return {source.string(), ""};
  for (int number = 0; number < kMaxNumbered; ++number) {
    fs::path target = fs::path(folder) / Numbered(source, number);
    std::error_code moved = LinkAndUnlink(source, target);
    if (!moved)
      return {target.string(), ""};
    if (moved != std::errc::file_exists)
      return {"", Failure(folder, Why(moved))};
  }
  return {"", Failure(folder, "há arquivos demais com esse nome")};
}

}  // namespace cli
