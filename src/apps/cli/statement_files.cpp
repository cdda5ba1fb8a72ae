#include "apps/cli/statement_files.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>

namespace cli {

namespace {

namespace fs = std::filesystem;

constexpr std::array<std::string_view, 4> kExtensions = {".txt", ".ret", ".ext", ".cnab"};

bool IsFolder(const std::string& path) {
  std::error_code error;
  return !path.empty() && fs::is_directory(path, error);
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// A folder that cannot be listed stays as given, for the run to say so.
std::vector<std::string> FolderFiles(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code error;
  fs::directory_iterator entries(folder, error);
  if (error)
    return {folder};
  for (const fs::directory_entry& entry : entries) {
    std::error_code kind_error;
    std::string name = entry.path().filename().string();
    if (entry.is_regular_file(kind_error) && IsStatementFileName(name))
      names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  std::vector<std::string> paths;
  for (const std::string& name : names)
    paths.push_back((fs::path(folder) / name).string());
  return paths;
}

}  // namespace

bool IsStatementFileName(const std::string& name) {
  if (name.empty() || name.front() == '.')
    return false;
  std::string extension = Lower(fs::path(name).extension().string());
  return std::find(kExtensions.begin(), kExtensions.end(), extension) != kExtensions.end();
}

std::vector<std::string> StatementFiles(const std::vector<std::string>& paths) {
  std::vector<std::string> files;
  for (const std::string& path : paths) {
    if (!IsFolder(path)) {
      files.push_back(path);
      continue;
    }
    std::vector<std::string> in_folder = FolderFiles(path);
    files.insert(files.end(), in_folder.begin(), in_folder.end());
  }
  return files;
}

bool ManyFiles(const std::vector<std::string>& paths) {
  return paths.size() > 1 || std::any_of(paths.begin(), paths.end(), IsFolder);
}

}  // namespace cli
