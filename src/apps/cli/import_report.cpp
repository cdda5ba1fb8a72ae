#include "apps/cli/import_report.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "apps/cli/commands.h"

namespace cli {

namespace {

// Keys that tell the user the run was abandoned with the data safe: stored
// already, or the user chose not to import.
constexpr std::array<std::string_view, 3> kAbandonKeys = {"Arqu_JaImp", "Extrato_Ja_Imp",
                                                          "Import_Cancel"};

const ShownMessage* LastMessage(const std::vector<ShownMessage>& shown) {
  auto it = std::find_if(shown.rbegin(), shown.rend(),
                         [](const ShownMessage& m) { return m.kind != "question"; });
  return it == shown.rend() ? nullptr : &*it;
}

bool TellsAbandoned(const ShownMessage& message) {
  if (message.kind == "warning")
    return true;
  return message.key &&
         std::find(kAbandonKeys.begin(), kAbandonKeys.end(), *message.key) != kAbandonKeys.end();
}

bool MatchesPattern(std::string_view pattern, std::string_view text) {
  auto placeholder = pattern.find("%s");
  if (placeholder == std::string_view::npos)
    return pattern == text;
  std::string_view prefix = pattern.substr(0, placeholder);
  std::string_view suffix = pattern.substr(placeholder + 2);
  return text.size() >= prefix.size() + suffix.size() && text.starts_with(prefix) &&
         text.ends_with(suffix);
}

}  // namespace

std::string KindName(host::DialogType type) {
  switch (type) {
    case host::DialogType::kError:
      return "error";
    case host::DialogType::kWarning:
      return "warning";
    case host::DialogType::kConfirmation:
      return "question";
    case host::DialogType::kInformation:
      break;
  }
  return "information";
}

RunOutcome Classify(host::EventOutcome last_action, const std::vector<ShownMessage>& shown) {
  const ShownMessage* last = LastMessage(shown);
  if (last_action == host::EventOutcome::kCompleted)
    return last != nullptr ? RunOutcome::kSuccess : RunOutcome::kNone;
  return last != nullptr && TellsAbandoned(*last) ? RunOutcome::kAborted : RunOutcome::kError;
}

int StatusOf(RunOutcome outcome) {
  switch (outcome) {
    case RunOutcome::kSuccess:
      return kExitSuccess;
    case RunOutcome::kAborted:
      return kExitAborted;
    case RunOutcome::kNone:
      return kExitNoMessage;
    case RunOutcome::kUsage:
      return kExitUsage;
    case RunOutcome::kInterrupted:
      return kExitInterrupted;
    case RunOutcome::kError:
      break;
  }
  return kExitError;
}

nlohmann::json ReportJson(RunOutcome outcome, const std::vector<ShownMessage>& shown,
                          const nlohmann::json& result) {
  static constexpr std::array<const char*, 6> kNames = {"success", "error", "aborted",
                                                        "none",    "usage", "interrupted"};
  nlohmann::json messages = nlohmann::json::array();
  for (const ShownMessage& message : shown) {
    messages.push_back({{"key", message.key ? nlohmann::json(*message.key) : nlohmann::json()},
                        {"kind", message.kind},
                        {"text", message.text}});
    if (message.detail)
      messages.back()["detail"] = *message.detail;
  }
  nlohmann::json report = {{"outcome", kNames[static_cast<std::size_t>(outcome)]},
                           {"messages", messages}};
  if (!result.is_null())
    report["result"] = result;
  return report;
}

std::optional<std::string> KeyOfText(
    const std::vector<std::pair<std::string, std::string>>& entries, const std::string& text) {
  for (const auto& [key, entry] : entries) {
    if (MatchesPattern(entry, text))
      return key;
  }
  return std::nullopt;
}

}  // namespace cli
