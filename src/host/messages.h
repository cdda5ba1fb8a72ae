#ifndef EXTRATO_HOST_MESSAGES_H_
#define EXTRATO_HOST_MESSAGES_H_

#include <string>
#include <utility>
#include <vector>

#include "host/controls.h"
#include "host/ui_services.h"

namespace host {

enum class MsgButton { kOk };

// A screen's message table: one "key|text" line per message.
class TMessages : public Object {
 public:
  using Object::Object;

  // Replaces the table. Throws host::Exception naming a line without "|".
  void SetLines(const std::vector<std::string>& lines);
  const std::vector<std::pair<std::string, std::string>>& Entries() const { return entries_; }

  // The text of a key, placeholders left as they are. An unknown key reads as
  // a message that says so, so that a missing entry is never silent.
  std::string Msg(const std::string& key) const;
  bool Contains(const std::string& key) const;
  // Shows the text of a key; the dialog carries the key for front ends that report it.
  void ShowMsg(const std::string& key, DialogType type, MsgButton buttons = MsgButton::kOk,
               int help_context = 0) const;

 private:
  std::vector<std::pair<std::string, std::string>> entries_;
};

}  // namespace host

#endif  // EXTRATO_HOST_MESSAGES_H_
