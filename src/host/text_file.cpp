#include "host/text_file.h"

#include <fstream>
#include <sstream>

#include <fmt/format.h>

#include "host/exceptions.h"
#include "host/utf8.h"

namespace host {

namespace {

// End of the line that starts at `begin`, and where the next one starts.
std::pair<std::size_t, std::size_t> LineBounds(const std::string& text, std::size_t begin) {
  std::size_t end = text.find_first_of("\r\n", begin);
  if (end == std::string::npos)
    return {text.size(), text.size()};
  std::size_t next = end + 1;
  if (text[end] == '\r' && next < text.size() && text[next] == '\n')
    ++next;
  return {end, next};
}

}  // namespace

void TextFile::Assign(std::string path) {
  path_ = std::move(path);
}

void TextFile::Reset() {
  std::ifstream in(path_, std::ios::binary);
  if (!in)
    throw EInOutError(fmt::format("Não foi possível abrir o arquivo '{}'.", path_));
  std::ostringstream bytes;
  bytes << in.rdbuf();
  if (in.bad())
    throw EInOutError(fmt::format("Erro ao ler o arquivo '{}'.", path_));
  std::string raw = bytes.str();
  size_ = raw.size();
  utf8_ = IsValidUtf8(raw);
  text_ = DecodeText(raw);
  position_ = 0;
  next_line_ = 0;
  open_ = true;
}

void TextFile::Close() {
  if (!open_)
    throw EInOutError(fmt::format("Arquivo '{}' não está aberto.", path_));
  open_ = false;
  text_.clear();
  text_.shrink_to_fit();
}

bool TextFile::Eof() const {
  return !open_ || position_ >= text_.size();
}

std::string TextFile::ReadLn() {
  if (Eof())
    throw EInOutError(fmt::format("Leitura além do fim do arquivo '{}'.", path_));
  auto [end, next] = LineBounds(text_, position_);
  std::string line = text_.substr(position_, end - position_);
  std::string_view taken(text_.data() + position_, next - position_);
  line_bytes_ = utf8_ ? taken.size() : Utf8Length(taken);
  position_ = next;
  ++next_line_;
  return line;
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t position = 0;
  while (position < text.size()) {
    auto [end, next] = LineBounds(text, position);
    lines.push_back(text.substr(position, end - position));
    position = next;
  }
  return lines;
}

}  // namespace host
