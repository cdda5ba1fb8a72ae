#include "host/text_file.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include <fmt/format.h>

#include "host/exceptions.h"
#include "host/utf8.h"

namespace host {

namespace {

constexpr std::size_t kBlock = 64 * 1024;
// A UTF-8 character takes at most four bytes.
constexpr std::size_t kMaxLineBytes = 4 * kMaxLineCharacters;

bool IsContinuation(unsigned char c) {
  return (c & 0xC0) == 0x80;
}

[[noreturn]] void RefuseLongLine(std::size_t line) {
  throw EInOutError(fmt::format(
      "Linha {}: a linha tem mais de {} caracteres; o arquivo não é um extrato bancário.", line,
      kMaxLineCharacters));
}

// UTF-8 checked a byte at a time, so that a file is checked as it streams by.
class Utf8Check {
 public:
  void Feed(unsigned char c) {
    if (!valid_)
      return;
    if (need_ == 0) {
      Start(c);
      return;
    }
    if (!IsContinuation(c)) {
      valid_ = false;
      return;
    }
    code_ = (code_ << 6) | (c & 0x3F);
    if (--need_ == 0 && (code_ < min_ || code_ > 0x10FFFF || (code_ >= 0xD800 && code_ <= 0xDFFF)))
      valid_ = false;
  }
  bool Valid() const { return valid_ && need_ == 0; }
  bool Broken() const { return !valid_; }
  // Within a character: the next byte must continue it.
  bool InSequence() const { return valid_ && need_ > 0; }

 private:
  void Start(unsigned char c) {
    if (c < 0x80)
      return;
    if ((c & 0xE0) == 0xC0) {
      need_ = 1, code_ = c & 0x1F, min_ = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
      need_ = 2, code_ = c & 0x0F, min_ = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
      need_ = 3, code_ = c & 0x07, min_ = 0x10000;
    } else {
      valid_ = false;
    }
  }

  bool valid_ = true;
  int need_ = 0;
  std::uint32_t code_ = 0;
  std::uint32_t min_ = 0;
};

// One pass over the file that keeps nothing of it: its size and encoding. A line too
// long under either encoding is refused as soon as it is met; one too long only as
// Windows-1252 once the file proves not to be UTF-8.
struct FileShape {
  std::uintmax_t size = 0;
  TextEncoding encoding = TextEncoding::kUtf8;
};

// Eight bytes, none with its high bit set and none a line break: they change
// nothing but the line's length, whatever the encoding.
bool IsPlainWord(const char* at) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
  constexpr std::uint64_t kHighs = 0x8080808080808080ULL;
  std::uint64_t word;
  std::memcpy(&word, at, sizeof word);
  auto has_zero = [](std::uint64_t v) { return ((v - kOnes) & ~v & kHighs) != 0; };
  return (word & kHighs) == 0 && !has_zero(word ^ (kOnes * '\n')) &&
         !has_zero(word ^ (kOnes * '\r'));
}

FileShape Inspect(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    throw EInOutError(fmt::format("Não foi possível abrir o arquivo '{}'.", path));
  FileShape shape;
  Utf8Check utf8;
  std::size_t line = 1, bytes = 0, characters = 0, long_as_bytes = 0;
  char previous = '\0';
  auto check_length = [&] {
    if (characters > kMaxLineCharacters || (bytes > kMaxLineCharacters && utf8.Broken()))
      RefuseLongLine(line);
    if (bytes > kMaxLineCharacters && long_as_bytes == 0)
      long_as_bytes = line;
  };
  std::string block(kBlock, '\0');
  while (in.read(block.data(), kBlock) || in.gcount() > 0) {
    std::size_t count = static_cast<std::size_t>(in.gcount());
    shape.size += count;
    for (std::size_t i = 0; i < count; ++i) {
      // Statement lines are mostly plain ASCII: eight bytes at a time while they are.
      while (!utf8.InSequence() && i + 8 <= count && IsPlainWord(block.data() + i)) {
        i += 8, bytes += 8, characters += 8;
        previous = block[i - 1];
        check_length();
      }
      if (i == count)
        break;
      char c = block[i];
      utf8.Feed(static_cast<unsigned char>(c));
      if (c == '\r' || c == '\n') {
        if (!(c == '\n' && previous == '\r'))
          ++line, bytes = 0, characters = 0;
      } else {
        ++bytes;
        if (!IsContinuation(static_cast<unsigned char>(c)))
          ++characters;
        check_length();
      }
      previous = c;
    }
  }
  if (in.bad())
    throw EInOutError(fmt::format("Erro ao ler o arquivo '{}'.", path));
  shape.encoding = utf8.Valid() ? TextEncoding::kUtf8 : TextEncoding::kWindows1252;
  if (shape.encoding == TextEncoding::kWindows1252 && long_as_bytes != 0)
    RefuseLongLine(long_as_bytes);
  return shape;
}

// The first line break at or after `from`, or npos. Unlike find_first_of, one
// pass over the bytes.
std::size_t FindLineBreak(std::string_view text, std::size_t from) {
  auto at = std::find_if(text.begin() + static_cast<std::ptrdiff_t>(from), text.end(),
                         [](char c) { return c == '\r' || c == '\n'; });
  return at == text.end() ? std::string::npos : static_cast<std::size_t>(at - text.begin());
}

// End of the line that starts at `begin`, and where the next one starts.
std::pair<std::size_t, std::size_t> LineBounds(const std::string& text, std::size_t begin) {
  std::size_t end = FindLineBreak(text, begin);
  if (end == std::string::npos)
    return {text.size(), text.size()};
  std::size_t next = end + 1;
  if (text[end] == '\r' && next < text.size() && text[next] == '\n')
    ++next;
  return {end, next};
}

}  // namespace

LineReader::LineReader(const std::string& path, TextEncoding encoding, std::uintmax_t offset,
                       std::size_t line_number)
    : path_(path),
      encoding_(encoding),
      in_(path, std::ios::binary),
      offset_(offset),
      line_number_(line_number) {
  if (!in_)
    throw EInOutError(fmt::format("Não foi possível abrir o arquivo '{}'.", path_));
  in_.seekg(static_cast<std::streamoff>(offset));
}

bool LineReader::Fill() {
  buffer_.resize(kBlock);
  in_.read(buffer_.data(), kBlock);
  if (in_.bad())
    throw EInOutError(fmt::format("Erro ao ler o arquivo '{}'.", path_));
  buffer_.resize(static_cast<std::size_t>(in_.gcount()));
  position_ = 0;
  return !buffer_.empty();
}

bool LineReader::Eof() {
  return position_ == buffer_.size() && !Fill();
}

std::string LineReader::ReadLn() {
  if (Eof())
    throw EInOutError(fmt::format("Leitura além do fim do arquivo '{}'.", path_));
  std::uintmax_t start = offset_;
  std::string bytes;
  while (position_ < buffer_.size() || Fill()) {
    std::size_t end = FindLineBreak(buffer_, position_);
    std::size_t stop = end == std::string::npos ? buffer_.size() : end;
    bytes.append(buffer_, position_, stop - position_);
    offset_ += stop - position_;
    position_ = stop;
    if (bytes.size() > kMaxLineBytes)
      RefuseLongLine(line_number_ + 1);  // grown since the file was checked
    if (end == std::string::npos)
      continue;
    ++position_, ++offset_;
    if (buffer_[end] == '\r' && (position_ < buffer_.size() || Fill()) &&
        buffer_[position_] == '\n') {
      ++position_, ++offset_;
    }
    break;
  }
  ++line_number_;
  line_bytes_ = static_cast<std::size_t>(offset_ - start);
  if (encoding_ == TextEncoding::kWindows1252)
    return DecodeWindows1252(bytes);
  if (!IsValidUtf8(bytes)) {
    throw EInOutError(fmt::format("O arquivo '{}' foi alterado durante a leitura.", path_));
  }
  return bytes;
}

void TextFile::Assign(std::string path) {
  path_ = std::move(path);
}

void TextFile::Reset() {
  reader_.reset();
  FileShape shape = Inspect(path_);
  size_ = shape.size;
  encoding_ = shape.encoding;
  reader_ = std::make_unique<LineReader>(path_, encoding_);
}

void TextFile::Close() {
  if (!reader_)
    throw EInOutError(fmt::format("Arquivo '{}' não está aberto.", path_));
  reader_.reset();
}

bool TextFile::Eof() const {
  return !reader_ || reader_->Eof();
}

std::string TextFile::ReadLn() {
  if (!reader_)
    throw EInOutError(fmt::format("Leitura além do fim do arquivo '{}'.", path_));
  return reader_->ReadLn();
}

LineReader TextFile::ReadAhead() const {
  if (!reader_)
    throw EInOutError(fmt::format("Arquivo '{}' não está aberto.", path_));
  return LineReader(path_, encoding_, reader_->Offset(), reader_->LineNumber());
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
