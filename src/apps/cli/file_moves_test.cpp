#include "apps/cli/file_moves.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "apps/cli/statement_files.h"

namespace cli {
namespace {

namespace fs = std::filesystem;

class FileMovesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("extrato-moves-" + std::to_string(getpid()));
    fs::create_directories(root_ / "entrada");
    fs::create_directories(root_ / "feitos");
  }
  void TearDown() override { fs::remove_all(root_); }

  fs::path Write(const fs::path& path, const std::string& text) {
    std::ofstream(path) << text;
    return path;
  }
  static std::string Read(const fs::path& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }

  fs::path root_;
};

TEST_F(FileMovesTest, ANameTakenGetsTheNextNumberAndNothingIsReplaced) {
  Write(root_ / "feitos" / "extrato.txt", "antigo");
  Write(root_ / "feitos" / "extrato.1.txt", "antigo 1");
  fs::path file = Write(root_ / "entrada" / "extrato.txt", "novo");
  Moved moved = MoveInto(file.string(), (root_ / "feitos").string());
  EXPECT_EQ((root_ / "feitos" / "extrato.2.txt").string(), moved.to);
  EXPECT_EQ("novo", Read(moved.to));
  EXPECT_EQ("antigo", Read(root_ / "feitos" / "extrato.txt"));
  EXPECT_EQ("antigo 1", Read(root_ / "feitos" / "extrato.1.txt"));
  EXPECT_FALSE(fs::exists(file));
}

TEST_F(FileMovesTest, WhatCannotBeMovedStaysWithItsReason) {
  fs::path file = Write(root_ / "entrada" / "extrato.txt", "novo");
  struct Case {
    std::string file;
    std::string folder;
    std::string reason;
  } cases[] = {
      {file.string(), (root_ / "nenhuma").string(),
       "não foi possível movê-lo para " + (root_ / "nenhuma").string() + ": a pasta não existe"},
      {(root_ / "sumiu.txt").string(), (root_ / "feitos").string(), "não há arquivo a mover"},
  };
  for (const Case& c : cases) {
    Moved moved = MoveInto(c.file, c.folder);
    EXPECT_EQ("", moved.to) << c.folder;
    EXPECT_EQ(c.reason, moved.reason) << c.folder;
  }
  EXPECT_EQ("novo", Read(file));
  EXPECT_EQ(file.string(), MoveInto(file.string(), (root_ / "entrada").string()).to)
      << "a file in the folder it goes to stays as it is";
  EXPECT_EQ("novo", Read(file));
}

// /dev/shm is another file system than the temporary folder on most machines.
TEST_F(FileMovesTest, AcrossFileSystemsTheFileIsCopiedThenRemoved) {
  fs::path other = fs::path("/dev/shm") / ("extrato-moves-" + std::to_string(getpid()));
  std::error_code error;
  if (!fs::create_directories(other, error) || error)
    GTEST_SKIP() << "no /dev/shm here";
  fs::path file = Write(other / "extrato.txt", "novo");
  Write(root_ / "feitos" / "extrato.txt", "antigo");
  Moved moved = MoveInto(file.string(), (root_ / "feitos").string());
  fs::remove_all(other);
  EXPECT_EQ((root_ / "feitos" / "extrato.1.txt").string(), moved.to);
  EXPECT_EQ("novo", Read(moved.to));
  EXPECT_EQ("antigo", Read(root_ / "feitos" / "extrato.txt"));
}

TEST(StatementFilesTest, FolderFilesAreTakenByTheirExtension) {
  for (const char* taken : {"extrato.txt", "EXT_CNAB240_Itau.RET", "a.Ext", "dia.cnab"})
    EXPECT_TRUE(IsStatementFileName(taken)) << taken;
  for (const char* left : {".extrato.txt", "LEIAME.md", "extrato.txt.part", "extrato", "txt"})
    EXPECT_FALSE(IsStatementFileName(left)) << left;
}

}  // namespace
}  // namespace cli
