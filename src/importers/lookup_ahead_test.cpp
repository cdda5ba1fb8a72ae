// Reading the lookups ahead changes nothing a run does: the same imports, one after
// another, with lookups one by one, read ahead in small requests and in large ones,
// leave the same rows and show the same messages and questions.
#include "importers/lookup_ahead.h"

#include <algorithm>

#include <gtest/gtest.h>

#include "layouts/layouts.h"
#include "testing/layout_test_support.h"

namespace importers::testing {
namespace {

using Names = std::vector<std::string>;

Names LayoutNames() {
  Names names;
  for (const Layout& layout : Layouts())
    names.emplace_back(layout.name);
  return names;
}

class LookupAheadTest : public LayoutImportTest, public ::testing::WithParamInterface<std::string> {
 protected:
  void SetUp() override {
    LayoutImportTest::SetUp();
    Use(GetParam());
  }

  // A statement whose sixth movement is repeated right after itself.
  Names WithRepeat() const {
    Names lines = Statement(30);
    std::size_t sixth = MovementLine(lines, 5);
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(sixth) + 1, lines[sixth]);
    return lines;
  }
  // The same, its movements from the sixteenth on with new documents: imported
  // after it, partly stored.
  Names PartlyNew() const {
    Names lines = WithRepeat();
    for (int n = 15; n < 31; ++n) {
      std::string& line = lines[MovementLine(lines, n)];
      Put(line, layout().columns.document, fmt::format("{:06}", 900000 + n));
    }
    return lines;
  }

  // Everything a user and the database see of these imports, in order.
  // `read_ahead`: the most lookups a run asks for in one request.
  Names Transcript(int answer, std::size_t read_ahead) {
    ResetDatabaseAndScreen();
    screen_->runReadAhead = read_ahead;
    Names seen;
    for (const Names& lines : {WithRepeat(), PartlyNew(), WithRepeat(), Statement(3)}) {
      for (int i = 0; i < 4; ++i)
        ui_.ScriptAnswer(answer);
      seen.push_back(fmt::format("outcome {}", static_cast<int>(ImportLines(lines))));
      for (const host::RecordingUiServices::Event& event : ui_.events()) {
        seen.push_back(fmt::format("{}|{}|{}|{}", event.kind, event.text,
                                   static_cast<int>(event.type), event.key.value_or("")));
      }
    }
    for (const char* query :
         {"SELECT * FROM EXTRBANCO ORDER BY CDREDUCONT, CDSEQUEXTR",
          "SELECT * FROM MOVREAL ORDER BY CDREDUCONT, CDSEQUEXTR, NRSEQMOVREAL",
          "SELECT NMMETODO, CDREDUCONT, QTMOVREAL, IDIMPIGUAIS FROM LOGIMPEXTR ORDER BY 1, 2, 3"}) {
      Names rows = Rows(query);
      seen.insert(seen.end(), rows.begin(), rows.end());
    }
    return seen;
  }

  void ResetDatabaseAndScreen() {
    for (const char* table : {"MOVREAL", "EXTRBANCO", "EXTRLOGIMP", "LOGIMPEXTR", "DIRETORIO"})
      Exec(fmt::format("DELETE FROM {}", table));
    ui_ = host::RecordingUiServices();  // no answer left over from the last transcript
    host::GetApplication().Dispatch([] { frmImpExtBanc->Close(); });
    CriaImpExtBanc();
    screen_ = frmImpExtBanc;
  }
};

TEST_P(LookupAheadTest, ImportsAreTheSameWithAndWithoutReadingAhead) {
  for (int answer : {kSim, kNao, 0}) {
    SCOPED_TRACE(answer);
    Names one_by_one, small, large;
    one_by_one = Transcript(answer, 0);
    small = Transcript(answer, 3);
    large = Transcript(answer, 1000);
    ASSERT_GE(one_by_one.size(), 20u);  // four imports, each with its messages
    EXPECT_EQ(one_by_one, small);
    EXPECT_EQ(one_by_one, large);
  }
}

TEST_P(LookupAheadTest, MovementsOfAStatementAreLookedUpInFewRequests) {
  EXPECT_EQ(host::EventOutcome::kCompleted, ImportLines(Statement(200)));
  Names calls = Calls();
  EXPECT_EQ(0, std::count(calls.begin(), calls.end(), "GetPesqLanc"));
  // 1, 2, 4, ... sets: 200 movements in 8 requests.
  EXPECT_EQ(8, std::count(calls.begin(), calls.end(), "GetPesqLancLote"));
}

INSTANTIATE_TEST_SUITE_P(Table, LookupAheadTest, ::testing::ValuesIn(LayoutNames()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           std::string name = info.param;
                           std::replace(name.begin(), name.end(), '-', '_');
                           return name;
                         });

}  // namespace
}  // namespace importers::testing
