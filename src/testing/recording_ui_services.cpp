#include "testing/recording_ui_services.h"

namespace host {

namespace {
constexpr int kClosedWithoutChoice = 2;
}

std::vector<MessageDialog> RecordingUiServices::messages() const {
  return messages_;
}

std::vector<std::string> RecordingUiServices::texts() const {
  std::vector<std::string> texts;
  for (const auto& m : messages_)
    texts.push_back(m.text);
  return texts;
}

void RecordingUiServices::Clear() {
  events_.clear();
  messages_.clear();
  questions_.clear();
  file_requests_.clear();
  search_requests_.clear();
  repaints_ = 0;
}

void RecordingUiServices::ShowMessage(const MessageDialog& message) {
  messages_.push_back(message);
  events_.push_back({"message", message.text, message.type, message.key});
}

int RecordingUiServices::Ask(const Question& question) {
  questions_.push_back(question);
  events_.push_back({"question", question.text, question.type, question.key});
  if (answers_.empty())
    return kClosedWithoutChoice;
  int answer = answers_.front();
  answers_.pop_front();
  return answer;
}

void RecordingUiServices::ShowWait(int kind) {
  ++wait_depth_;
  events_.push_back({"wait", std::to_string(kind), DialogType::kInformation, std::nullopt});
}

void RecordingUiServices::HideWait() {
  if (wait_depth_ > 0)
    --wait_depth_;
  events_.push_back({"unwait", "", DialogType::kInformation, std::nullopt});
}

std::optional<std::string> RecordingUiServices::ChooseFile(const FileDialogRequest& request) {
  file_requests_.push_back(request);
  events_.push_back({"file", request.title, DialogType::kInformation, std::nullopt});
  if (files_.empty())
    return std::nullopt;
  auto file = files_.front();
  files_.pop_front();
  return file;
}

std::optional<std::size_t> RecordingUiServices::PickRow(const SearchListRequest& request) {
  search_requests_.push_back(request);
  events_.push_back({"pick", request.title, DialogType::kInformation, std::nullopt});
  if (picks_.empty())
    return std::nullopt;
  auto pick = picks_.front();
  picks_.pop_front();
  return pick;
}

}  // namespace host
