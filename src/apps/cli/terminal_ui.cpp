#include "apps/cli/terminal_ui.h"

#include <algorithm>
#include <cctype>

#include <fmt/format.h>

#include "host/exceptions.h"
#include "host/routines.h"

namespace cli {

namespace {

constexpr const char* kSim = "Sim";
constexpr const char* kNao = "Não";
// The wait the host shows while a submission stores; 0 is that of connecting.
constexpr int kStoringWait = 1;

std::string Prefix(host::DialogType type) {
  switch (type) {
    case host::DialogType::kError:
      return "Erro: ";
    case host::DialogType::kWarning:
      return "Aviso: ";
    case host::DialogType::kConfirmation:
      return "Pergunta: ";
    case host::DialogType::kInformation:
      break;
  }
  return "";
}

char Initial(std::string_view text) {
  return static_cast<char>(std::tolower(static_cast<unsigned char>(text.front())));
}

// The caption that a typed answer names, by its whole text or its first letter.
std::optional<std::string> CaptionTyped(const std::vector<std::string>& captions,
                                        const std::string& typed) {
  std::string answer = host::AllTrim(typed);
  if (answer.empty())
    return std::nullopt;
  for (const std::string& caption : captions) {
    if (!caption.empty() &&
        (answer == caption || (answer.size() == 1 && Initial(answer) == Initial(caption)))) {
      return caption;
    }
  }
  return std::nullopt;
}

}  // namespace

void TerminalUi::ShowMessage(const host::MessageDialog& message) {
  ClearProgress();
  *options_.output << Prefix(message.type) << message.text << "\n" << std::flush;
  Record(message.type, message.text, message.key);
}

void TerminalUi::AddDetail(const std::string& detail) {
  auto last = std::find_if(shown_.rbegin(), shown_.rend(),
                           [](const ShownMessage& m) { return m.kind != "question"; });
  if (last == shown_.rend())
    return;
  last->detail = detail;
  *options_.output << "  " << detail << "\n" << std::flush;
}

int TerminalUi::Ask(const host::Question& question) {
  StopIfInterrupted();
  ClearProgress();
  *options_.output << Prefix(host::DialogType::kConfirmation) << question.text << "\n";
  Record(host::DialogType::kConfirmation, question.text, question.key);
  std::string choice = Choose(question);
  const auto& captions = question.captions;
  auto it = std::find(captions.begin(), captions.end(), choice);
  // The screen offers the safe answer first; that is the one a caption it did
  // not offer stands for.
  std::size_t index = it == captions.end() ? 0 : static_cast<std::size_t>(it - captions.begin());
  if (index < captions.size())
    *options_.output << "Resposta: " << captions[index] << "\n";
  *options_.output << std::flush;
  return host::kFirstCaption + static_cast<int>(index);
}

std::string TerminalUi::Choose(const host::Question& question) {
  switch (options_.answers) {
    case AnswerPolicy::kYes:
      return kSim;
    case AnswerPolicy::kNo:
      return kNao;
    case AnswerPolicy::kAsk:
      break;
  }
  return options_.interactive ? AskTerminal(question) : kNao;
}

std::string TerminalUi::AskTerminal(const host::Question& question) {
  std::string options_text = fmt::format("{}", fmt::join(question.captions, "/"));
  for (;;) {
    *options_.output << fmt::format("Escolha ({}): ", options_text) << std::flush;
    std::string line;
    // Nobody left to answer: the safe answer.
    if (!std::getline(*options_.input, line))
      return kNao;
    if (auto caption = CaptionTyped(question.captions, line))
      return *caption;
  }
}

void TerminalUi::Repaint() {
  StopIfInterrupted();
  if (options_.progress == nullptr || bar_ == nullptr)
    return;
  if (bar_->Visible()) {
    options_.progress->Update(bar_->Position(), bar_->Min(), bar_->Max());
  } else {
    options_.progress->Clear();
  }
}

void TerminalUi::ShowWait(int kind) {
  if (kind != kStoringWait)
    return;
  StopIfInterrupted();
  storing_ = true;
  if (options_.storing != nullptr)
    options_.storing(true);
  if (options_.progress != nullptr && bar_ != nullptr && bar_->Visible() &&
      bar_->Position() >= bar_->Max()) {
    options_.progress->Storing();
  }
}

// A Ctrl-C that came while storing was answered then: the run ends as it stored.
void TerminalUi::HideWait() {
  if (!storing_)
    return;
  storing_ = false;
  if (options_.storing != nullptr)
    options_.storing(false);
  if (options_.interrupted != nullptr && options_.interrupted())
    stored_past_interrupt_ = true;
}

// The run reads a line or asks between remote calls, never inside its
// submission, so stopping here leaves nothing stored in part.
void TerminalUi::StopIfInterrupted() {
  if (stopped_ || stored_past_interrupt_ || options_.interrupted == nullptr ||
      !options_.interrupted())
    return;
  stopped_ = true;
  ShowMessage({host::DialogType::kError, kInterruptedText, std::nullopt});
  throw host::EAbort();
}

void TerminalUi::ClearProgress() {
  if (options_.progress != nullptr)
    options_.progress->Clear();
}

void TerminalUi::Record(host::DialogType type, const std::string& text,
                        const std::optional<std::string>& key) {
  std::optional<std::string> named = key;
  if (!named && key_of_)
    named = key_of_(text);
  shown_.push_back({named, KindName(type), text});
}

}  // namespace cli
