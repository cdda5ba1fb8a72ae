#ifndef EXTRATO_HOST_TEXT_FILE_H_
#define EXTRATO_HOST_TEXT_FILE_H_

#include <cstdint>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace host {

// No statement layout has lines near this long; a longer one is not a statement.
inline constexpr std::size_t kMaxLineCharacters = 4096;

// How the bytes of a file are read: decided once for the whole file.
enum class TextEncoding { kUtf8, kWindows1252 };

// Lines of a file from a byte offset on, decoded as told. Lines end at CRLF, LF or
// CR; the last line end does not make an empty line after it.
class LineReader {
 public:
  LineReader(const std::string& path, TextEncoding encoding, std::uintmax_t offset = 0,
             std::size_t line_number = 0);

  bool Eof();
  // The next line, without its line end. Throws EInOutError past the end, on a
  // read error, and for a line that is not what the file held when it was checked.
  std::string ReadLn();
  // 1-based number of the line last read.
  std::size_t LineNumber() const { return line_number_; }
  // Where the next line starts.
  std::uintmax_t Offset() const { return offset_; }
  // Bytes of the file that the line last read took, its line end included.
  std::size_t LineBytes() const { return line_bytes_; }

 private:
  bool Fill();

  std::string path_;
  TextEncoding encoding_;
  std::ifstream in_;
  std::string buffer_;
  std::size_t position_ = 0;  // within buffer_
  std::uintmax_t offset_;
  std::size_t line_number_;
  std::size_t line_bytes_ = 0;
};

// A text file read line by line, never held whole. Opening it reads it once without
// keeping it, to decide its encoding (valid UTF-8 as it is, anything else as
// Windows-1252) and to refuse a line longer than kMaxLineCharacters at once.
class TextFile {
 public:
  // Binds the handle to a path; the file is not touched yet.
  void Assign(std::string path);
  const std::string& Path() const { return path_; }
  // Opens for reading at the first line. Throws EInOutError when it cannot, and
  // for a file with a line too long ("Linha N: ...").
  void Reset();
  // Throws EInOutError when the file is not open.
  void Close();
  bool IsOpen() const { return reader_ != nullptr; }

  // True when every line has been read (or the file is not open).
  bool Eof() const;
  // The next line, without its line end. Throws EInOutError past the end.
  std::string ReadLn();
  // 1-based number of the line last read.
  std::size_t LineNumber() const { return reader_ ? reader_->LineNumber() : 0; }
  // Bytes of the file that the line last read took, its line end included.
  std::size_t LineBytes() const { return reader_ ? reader_->LineBytes() : 0; }
  // Size of the file in bytes, as it was when opened.
  std::uintmax_t Size() const { return size_; }

  // A reader of its own at the line ReadLn reads next, decoding as this file does:
  // for looking ahead without moving this one.
  LineReader ReadAhead() const;

 private:
  std::string path_;
  std::uintmax_t size_ = 0;
  TextEncoding encoding_ = TextEncoding::kUtf8;
  std::unique_ptr<LineReader> reader_;
};

// Splits decoded text into lines by the same rules; for parsers fed from memory.
std::vector<std::string> SplitLines(const std::string& text);

}  // namespace host

#endif  // EXTRATO_HOST_TEXT_FILE_H_
