#ifndef EXTRATO_HOST_TEXT_FILE_H_
#define EXTRATO_HOST_TEXT_FILE_H_

#include <cstdint>
#include <string>
#include <vector>

namespace host {

// A text file read line by line. The bytes are read and decoded once when the
// file is opened (valid UTF-8 as it is, anything else as Windows-1252); lines end
// at CRLF, LF or CR, and the last line end does not make an empty line after it.
class TextFile {
 public:
  // Binds the handle to a path; the file is not touched yet.
  void Assign(std::string path);
  const std::string& Path() const { return path_; }
  // Opens for reading at the first line. Throws EInOutError when it cannot.
  void Reset();
  // Throws EInOutError when the file is not open.
  void Close();
  bool IsOpen() const { return open_; }

  // True when every line has been read (or the file is not open).
  bool Eof() const;
  // The next line, without its line end. Throws EInOutError past the end.
  std::string ReadLn();
  // 1-based number of the line last read.
  std::size_t LineNumber() const { return next_line_; }
  // Bytes of the file that the line last read took, its line end included.
  std::size_t LineBytes() const { return line_bytes_; }
  // Size of the file in bytes, as it was when opened.
  std::uintmax_t Size() const { return size_; }

 private:
  std::string path_;
  bool open_ = false;
  std::string text_;
  std::size_t position_ = 0;
  std::size_t next_line_ = 0;
  std::size_t line_bytes_ = 0;
  // The file was UTF-8 and text_ holds its bytes; otherwise one character a byte.
  bool utf8_ = true;
  std::uintmax_t size_ = 0;
};

// Splits decoded text into lines by the same rules; for parsers fed from memory.
std::vector<std::string> SplitLines(const std::string& text);

}  // namespace host

#endif  // EXTRATO_HOST_TEXT_FILE_H_
