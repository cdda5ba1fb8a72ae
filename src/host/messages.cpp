#include "host/messages.h"

#include <algorithm>

#include <fmt/format.h>

#include "host/application.h"
#include "host/exceptions.h"

namespace host {

void TMessages::SetLines(const std::vector<std::string>& lines) {
  std::vector<std::pair<std::string, std::string>> entries;
  for (const auto& line : lines) {
    auto bar = line.find('|');
    if (bar == std::string::npos) {
      throw Exception(fmt::format("Linha da tabela de mensagens sem '|': '{}'.", line));
    }
    entries.emplace_back(line.substr(0, bar), line.substr(bar + 1));
  }
  entries_ = std::move(entries);
}

bool TMessages::Contains(const std::string& key) const {
  return std::any_of(entries_.begin(), entries_.end(),
                     [&](const auto& entry) { return entry.first == key; });
}

std::string TMessages::Msg(const std::string& key) const {
  for (const auto& [k, text] : entries_) {
    if (k == key)
      return text;
  }
  return fmt::format("Mensagem '{}' não cadastrada.", key);
}

void TMessages::ShowMsg(const std::string& key, DialogType type, MsgButton, int) const {
  Ui().ShowMessage({type, Msg(key), key});
}

}  // namespace host
