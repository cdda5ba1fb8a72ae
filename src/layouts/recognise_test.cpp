#include "layouts/recognise.h"

#include <cstdlib>
#include <filesystem>

#include <gtest/gtest.h>

#include "host/text_file.h"
#include "layouts/layouts.h"
#include "layouts/statement_writer.h"

namespace importers {
namespace {

using Banks = std::vector<std::string>;

FileRecognition RecogniseFile(const std::filesystem::path& path) {
  host::TextFile file;
  file.Assign(path.string());
  file.Reset();
  FileRecogniser recogniser;
  while (!file.Eof())
    recogniser.Read(file.ReadLn());
  return recogniser.Result();
}

FileRecognition RecogniseLines(const std::vector<std::string>& lines) {
  FileRecogniser recogniser;
  for (const std::string& line : lines)
    recogniser.Read(line);
  return recogniser.Result();
}

// "agency/account" of each statement, as `layout` looks it up.
std::vector<std::string> Accounts(const Layout& layout, const FileRecognition& file,
                                  std::string_view mask) {
  std::vector<std::string> shown;
  for (const StatementAccount& account : StatementAccounts(layout, file, mask))
    shown.push_back(account.agency + "/" + account.account);
  return shown;
}

TEST(RecogniseTest, EveryExampleFileNamesItsBankWidthAndDemonstrationAccount) {
  const auto samples = std::filesystem::path(EXTRATO_SOURCE_DIR) / "samples";
  for (const Layout& row : Layouts()) {
    FileRecognition file = RecogniseFile(samples / row.demo.example_file);
    EXPECT_EQ(row.width, file.width) << row.name;
    EXPECT_EQ(Banks{std::string(row.demo.bank.cnab)}, file.banks) << row.name;
    std::vector<std::string> accounts = Accounts(row, file, row.demo.bank.mask);
    ASSERT_FALSE(accounts.empty()) << row.name;
    for (const std::string& account : accounts)
      EXPECT_EQ(std::string(row.demo.agency) + "/" + std::string(row.demo.number), account)
          << row.name;
  }
}

// The public files of real banks, where EXTRATO_REAL_SAMPLES names their folder.
TEST(RecogniseTest, RealFilesNameTheirBankWidthAndAccounts) {
  const char* folder = std::getenv("EXTRATO_REAL_SAMPLES");
  if (folder == nullptr || *folder == '\0')
    GTEST_SKIP() << "EXTRATO_REAL_SAMPLES is not set: the real statement files are not here";
  struct Case {
    const char* file;
    std::size_t width;
    const char* bank;
    const char* layout;
    const char* mask;
    std::vector<std::string> accounts;
  } cases[] = {
      {"extrato200-237/anteros-bradesco.txt",
       200,
       "237",
       "bradesco",
       "9999999-9",
       {"3509/00125668"}},
      {"cnab240-extrato/anteros-itau.txt", 240, "341", "itau-240", "99999-9", {"3886/007693"}},
      {"cnab240-extrato/anteros-caixa.txt",
       240,
       "104",
       "febraban",
       "99999999-9",
       {"0386/000011547"}},
      {"cnab240-extrato/anteros-hsbc.txt",
       240,
       "399",
       "febraban",
       "99999999-9",
       {"0016/000014992"}},
      {"cnab240-extrato/marcodpt-bb.txt", 240, "001", "febraban", "99999999-9", {"0679/027267110"}},
      {"cnab240-extrato/marcodpt-bradesco.txt",
       240,
       "237",
       "febraban",
       "99999999-9",
       {"0679/027267110"}},
      {"cnab240-extrato/marcodpt-caixa.txt",
       240,
       "104",
       "febraban",
       "99999999-9",
       {"0679/027267110"}},
      {"cnab240-extrato/marcodpt-daycoval.txt",
       240,
       "707",
       "febraban",
       "99999999-9",
       {"0679/027267110"}},
      {"cnab240-extrato/marcodpt-itau.txt", 240, "341", "itau-240", "99999-9", {"0679/671109"}},
      {"cnab240-extrato/marcodpt-santander.txt",
       240,
       "033",
       "santander",
       "99999999-9",
       {"0679/027267110"}},
  };
  for (const Case& c : cases) {
    FileRecognition file = RecogniseFile(std::filesystem::path(folder) / c.file);
    EXPECT_EQ(c.width, file.width) << c.file;
    EXPECT_EQ(Banks{c.bank}, file.banks) << c.file;
    EXPECT_EQ(c.accounts, Accounts(*FindLayout(c.layout), file, c.mask)) << c.file;
  }
}

std::string Cnab240(std::string_view bank, char kind, std::string_view account = "") {
  writer::FixedLine line(240);
  line.Put(1, 3, bank).Put(8, 1, std::string(1, kind));
  if (kind == '1')
    line.Put(9, 1, "E").Put(54, 4, "0679").Put(59, 14, account);
  return line.str();
}

TEST(RecogniseTest, WhatTheRecordsCarryDecides) {
  const std::string header = Cnab240("001", '0');
  const std::string batch = Cnab240("001", '1', "0000027267110");
  struct Case {
    const char* name;
    std::vector<std::string> lines;
    std::size_t width;
    Banks banks;
    std::size_t openings;
  } cases[] = {
      {"a file of one bank",
       {header, batch, Cnab240("001", '3'), Cnab240("001", '5')},
       240,
       {"001"},
       1},
      // The file's header and trailer are no statement records.
      {"records of another bank",
       {Cnab240("237", '0'), batch, Cnab240("001", '5')},
       240,
       {"001"},
       1},
      {"records of two banks", {batch, Cnab240("341", '3')}, 240, {"001", "341"}, 1},
      {"records without a bank", {Cnab240("", '1', "1"), Cnab240("   ", '3')}, 240, {""}, 1},
      {"blank lines between", {batch, "", "   ", Cnab240("001", '5')}, 240, {"001"}, 1},
      {"two statements", {batch, Cnab240("001", '5'), batch, Cnab240("001", '5')}, 240, {"001"}, 2},
      // A batch that is not a statement's (operation other than "E") opens none.
      {"a batch of collections",
       {writer::FixedLine(240).Put(1, 3, "001").Put(8, 1, "1").str()},
       240,
       {"001"},
       0},
      {"lines of no layout's width", {std::string(150, '1'), std::string(150, '1')}, 0, {}, 0},
      {"widths that differ",
       {batch, batch, std::string(200, '1'), std::string(200, '1')},
       0,
       {},
       0},
      {"nothing at all", {}, 0, {}, 0},
  };
  for (const Case& c : cases) {
    FileRecognition file = RecogniseLines(c.lines);
    EXPECT_EQ(c.width, file.width) << c.name;
    EXPECT_EQ(c.banks, file.banks) << c.name;
    EXPECT_EQ(c.openings, file.openings.size()) << c.name;
  }
}

TEST(RecogniseTest, AccountsFollowTheLayoutAndTheMask) {
  FileRecognition file = RecogniseLines({Cnab240("001", '1', "0000027267110")});
  EXPECT_EQ(std::vector<std::string>{"0679/027267110"},
            Accounts(*FindLayout("febraban"), file, "99999999-9"));
  EXPECT_EQ(std::vector<std::string>{"0679/7267110"},
            Accounts(*FindLayout("febraban"), file, "999999-9"));
  // A layout of the other width reads no statement in it.
  EXPECT_TRUE(Accounts(*FindLayout("bradesco"), file, "9999999-9").empty());
}

}  // namespace
}  // namespace importers
