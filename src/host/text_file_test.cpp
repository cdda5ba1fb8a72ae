#include "host/text_file.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "host/exceptions.h"

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

TEST(TextFileTest, MissingFileIsAnInputOutputError) {
  TextFile file;
  file.Assign("/nonexistent/extrato.ret");
  EXPECT_THROW(file.Reset(), EInOutError);
  EXPECT_FALSE(file.IsOpen());
}

}  // namespace
}  // namespace host
