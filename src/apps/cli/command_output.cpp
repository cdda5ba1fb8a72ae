#include "apps/cli/command_output.h"

namespace cli {

CommandEnd Failed(const std::string& text, RunOutcome outcome) {
  CommandEnd end;
  end.outcome = outcome;
  end.messages.push_back({std::nullopt, "error", text});
  return end;
}

std::string KindPrefix(const std::string& kind) {
  if (kind == "error")
    return "Erro: ";
  if (kind == "warning")
    return "Aviso: ";
  if (kind == "question")
    return "Pergunta: ";
  return "";
}

int Finish(const CommandEnd& end, bool json, std::ostream& out, std::ostream& err) {
  for (const ShownMessage& message : end.messages)
    err << KindPrefix(message.kind) << message.text << "\n";
  err << std::flush;
  if (json) {
    out << ReportJson(end.outcome, end.messages, end.result).dump() << std::endl;
  } else if (!end.text.empty()) {
    out << end.text << (end.text.back() == '\n' ? "" : "\n") << std::flush;
  }
  return StatusOf(end.outcome);
}

}  // namespace cli
