#ifndef EXTRATO_HOST_UI_SERVICES_H_
#define EXTRATO_HOST_UI_SERVICES_H_

#include <optional>
#include <string>
#include <vector>

namespace host {

enum class DialogType { kWarning, kError, kInformation, kConfirmation };
enum class Cursor { kDefault, kHourGlass };

// One message shown to the user. `key` names the message-table entry the text
// came from, when it came from one.
struct MessageDialog {
  DialogType type = DialogType::kInformation;
  std::string text;
  std::optional<std::string> key;
};

// A question with its button captions, in order. The answer is the host's button
// code: 10 for the first caption, 11 for the second; anything else means the
// dialog was closed without a choice.
struct Question {
  DialogType type = DialogType::kConfirmation;
  std::string text;
  std::vector<std::string> captions;
  std::optional<std::string> key;
};
constexpr int kFirstCaption = 10;

// What the open-file dialog starts from.
struct FileDialogRequest {
  std::string title;
  std::string filter;
  std::string initial_dir;
  std::string file_name;
};

// The rows a search button offers; the answer is the picked row's index.
struct SearchListRequest {
  std::string title;
  std::vector<std::string> column_titles;
  std::vector<std::vector<std::string>> rows;
};

// Everything the host application would show. The screen never talks to a toolkit;
// each front end (desktop, command line, tests) registers its own implementation.
class UiServices {
 public:
  virtual ~UiServices() = default;

  virtual void ShowMessage(const MessageDialog& message) = 0;
  virtual int Ask(const Question& question) = 0;
  // kind 0 while connecting, 1 around remote work.
  virtual void ShowWait(int kind) = 0;
  virtual void HideWait() = 0;
  // The chosen file's full path, or nothing when the user cancelled.
  virtual std::optional<std::string> ChooseFile(const FileDialogRequest& request) = 0;
  virtual std::optional<std::size_t> PickRow(const SearchListRequest& request) = 0;
  // Lets the front end draw pending changes (the progress bar during a long run).
  virtual void Repaint() = 0;
  virtual void SetCursor(Cursor cursor) = 0;
};

}  // namespace host

#endif  // EXTRATO_HOST_UI_SERVICES_H_
