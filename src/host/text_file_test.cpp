#include "host/text_file.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include <fmt/format.h>
#include <gtest/gtest.h>

#include "host/exceptions.h"
#include "host/utf8.h"

namespace host {
namespace {

std::vector<std::string> ReadAll(TextFile& file) {
  std::vector<std::string> lines;
  while (!file.Eof())
    lines.push_back(file.ReadLn());
  return lines;
}

TEST(TextFileTest, AcceptsEveryLineEndWithoutATrailingEmptyLine) {
  using Lines = std::vector<std::string>;
  EXPECT_EQ((Lines{"a", "b"}), SplitLines("a\r\nb\r\n"));
  EXPECT_EQ((Lines{"a", "b"}), SplitLines("a\nb\n"));
  EXPECT_EQ((Lines{"a", "b"}), SplitLines("a\rb\r"));
  EXPECT_EQ((Lines{"a", "b"}), SplitLines("a\nb"));
  EXPECT_EQ((Lines{"a", "", "b"}), SplitLines("a\r\n\r\nb"));
  EXPECT_EQ((Lines{"a", ""}), SplitLines("a\n\n"));
  EXPECT_EQ(Lines{}, SplitLines(""));
}

TEST(TextFileTest, ReadsDecodedLinesFromDisk) {
  auto path = std::filesystem::temp_directory_path() / "extrato_text_file_test.txt";
  {
    std::ofstream out(path, std::ios::binary);
    out << "TARIFA A\xC7\xC3O\r\n0123\r\n";
  }
  TextFile file;
  file.Assign(path.string());
  file.Reset();
  EXPECT_EQ(19u, file.Size());
  EXPECT_EQ((std::vector<std::string>{"TARIFA AÇÃO", "0123"}), ReadAll(file));
  EXPECT_EQ(2u, file.LineNumber());
  EXPECT_THROW(file.ReadLn(), EInOutError);
  file.Close();
  EXPECT_THROW(file.Close(), EInOutError);
  file.Reset();  // a second run starts again at the first line
  EXPECT_EQ("TARIFA AÇÃO", file.ReadLn());
  file.Close();
  std::filesystem::remove(path);
}

class TextFileOnDiskTest : public ::testing::Test {
 protected:
  void TearDown() override { std::filesystem::remove(path_); }

  TextFile& Open(const std::string& bytes) {
    {
      std::ofstream out(path_, std::ios::binary);
      out << bytes;
    }
    file_.Assign(path_.string());
    file_.Reset();
    return file_;
  }

  // The message of opening a file that must be refused.
  std::string Refusal(const std::string& bytes) {
    try {
      Open(bytes);
    } catch (const EInOutError& e) {
      EXPECT_FALSE(file_.IsOpen());
      return e.what();
    }
    return "not refused";
  }

  // Tests of this suite may run at once, each in a process of its own.
  std::filesystem::path path_ =
      std::filesystem::temp_directory_path() /
      fmt::format("extrato_text_file_{}_{}.txt", getpid(),
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
  TextFile file_;
};

// A block of the reader is 64 KiB: these lines cross its boundary.
std::string Padding(char c, std::size_t count) {
  return std::string(count, c);
}

TEST_F(TextFileOnDiskTest, StreamedLinesAreTheLinesOfTheWholeFileDecodedOnce) {
  std::string filler;
  while (filler.size() < 65'536 - 300)
    filler += Padding('x', 200) + "\r\n";
  // What follows starts at the last byte of the first block.
  filler += Padding('a', 65'535 - filler.size());
  std::vector<std::string> cases = {
      // A UTF-8 character, a CRLF and a lone CR split by the block's end.
      filler + "\xC3\x87\xC3\x83O\r\nfim\r\n",
      filler + "\r\nfim",
      filler + "\rfim\r",
      // One byte that is not UTF-8 near the end makes the whole file Windows-1252,
      // the UTF-8 pairs before it included.
      "A\xC3\x87\xC3\x83O\r\n" + filler + "TARIFA A\xC7\xC3O\r\n",
      // A character begun and not continued by the plain text after it; one whole
      // across a multiple of eight bytes.
      "TARIFA \xC3" + Padding('x', 20) + "\r\n",
      Padding('x', 7) + "\xE2\x82\xAC" + Padding('y', 13) + "\n",
      "",
      "\n\n",
  };
  for (const std::string& bytes : cases) {
    SCOPED_TRACE(bytes.size());
    EXPECT_EQ(SplitLines(DecodeText(bytes)), ReadAll(Open(bytes)));
    file_.Close();
  }
}

TEST_F(TextFileOnDiskTest, ReadAheadStartsAtTheNextLineAndLeavesTheFileWhereItWas) {
  TextFile& file = Open("um\r\ndois\r\nA\xC7\xC3O\r\n");
  EXPECT_EQ("um", file.ReadLn());
  EXPECT_EQ(4u, file.LineBytes());
  LineReader ahead = file.ReadAhead();
  EXPECT_EQ("dois", ahead.ReadLn());
  EXPECT_EQ("AÇÃO", ahead.ReadLn());
  EXPECT_EQ(6u, ahead.LineBytes());  // the file's bytes, not the decoded text's
  EXPECT_EQ(3u, ahead.LineNumber());
  EXPECT_TRUE(ahead.Eof());
  EXPECT_EQ("dois", file.ReadLn());
  EXPECT_EQ(2u, file.LineNumber());
}

TEST_F(TextFileOnDiskTest, LineLongerThanAnyLayoutIsRefusedNamingIt) {
  std::string limit = Padding('1', kMaxLineCharacters);
  std::string message =
      "Linha 2: a linha tem mais de 4096 caracteres; o arquivo não é um extrato bancário.";
  EXPECT_EQ(message, Refusal("0\r\n" + limit + "1\r\n" + limit));
  // 4096 two-byte characters are 4096 characters in a UTF-8 file, but 8192 in a file
  // that proves to be Windows-1252 further on.
  std::string accented;
  for (std::size_t i = 0; i < kMaxLineCharacters; ++i)
    accented += "\xC3\x87";
  EXPECT_EQ(kMaxLineCharacters, ReadAll(Open("0\n" + accented + "\n"))[1].size() / 2);
  file_.Close();
  EXPECT_EQ(message, Refusal("0\n" + accented + "\n\xC7\n"));
  EXPECT_EQ(limit, ReadAll(Open(limit))[0]);
}

TEST(TextFileTest, MissingFileIsAnInputOutputError) {
  TextFile file;
  file.Assign("/nonexistent/extrato.ret");
  EXPECT_THROW(file.Reset(), EInOutError);
  EXPECT_FALSE(file.IsOpen());
}

}  // namespace
}  // namespace host
