#ifndef EXTRATO_TESTING_RECORDING_UI_SERVICES_H_
#define EXTRATO_TESTING_RECORDING_UI_SERVICES_H_

#include <deque>
#include <string>
#include <vector>

#include "host/ui_services.h"

namespace host {

// UI services for tests: records everything shown or asked, in order, and answers
// from a script. An unscripted question answers "closed without a choice".
class RecordingUiServices : public UiServices {
 public:
  struct Event {
    std::string kind;  // "message", "question", "wait", "unwait", "file", "pick"
    std::string text;  // the message or question text; the wait kind
    DialogType type = DialogType::kInformation;
    std::optional<std::string> key;
  };

  // Answers, consumed in order.
  void ScriptAnswer(int button) { answers_.push_back(button); }
  void ScriptFile(std::optional<std::string> path) { files_.push_back(std::move(path)); }
  void ScriptPick(std::optional<std::size_t> row) { picks_.push_back(row); }

  const std::vector<Event>& events() const { return events_; }
  std::vector<MessageDialog> messages() const;
  std::vector<Question> questions() const { return questions_; }
  std::vector<FileDialogRequest> file_requests() const { return file_requests_; }
  std::vector<SearchListRequest> search_requests() const { return search_requests_; }
  int repaints() const { return repaints_; }
  bool wait_visible() const { return wait_depth_ > 0; }
  Cursor cursor() const { return cursor_; }
  // The texts of every message shown, in order.
  std::vector<std::string> texts() const;
  void Clear();

  void ShowMessage(const MessageDialog& message) override;
  int Ask(const Question& question) override;
  void ShowWait(int kind) override;
  void HideWait() override;
  std::optional<std::string> ChooseFile(const FileDialogRequest& request) override;
  std::optional<std::size_t> PickRow(const SearchListRequest& request) override;
  void Repaint() override { ++repaints_; }
  void SetCursor(Cursor cursor) override { cursor_ = cursor; }

 private:
  std::vector<Event> events_;
  std::vector<MessageDialog> messages_;
  std::vector<Question> questions_;
  std::vector<FileDialogRequest> file_requests_;
  std::vector<SearchListRequest> search_requests_;
  std::deque<int> answers_;
  std::deque<std::optional<std::string>> files_;
  std::deque<std::optional<std::size_t>> picks_;
  int repaints_ = 0;
  int wait_depth_ = 0;
  Cursor cursor_ = Cursor::kDefault;
};

}  // namespace host

#endif  // EXTRATO_TESTING_RECORDING_UI_SERVICES_H_
