#include "layouts/layouts.h"

#include <algorithm>

#include <fmt/format.h>

#include "layouts/bradesco.h"
#include "layouts/cnab240.h"
#include "layouts/febraban.h"
#include "layouts/itau_200.h"
#include "layouts/itau_240.h"
#include "layouts/santander.h"

namespace importers {

namespace {

template <std::size_t kWidth>
std::string ZeroFilled(std::string_view number) {
  return std::string(kWidth - std::min(kWidth, number.size()), '0') + std::string(number);
}

}  // namespace

Layout Cnab200() {
  Layout row;
  row.width = 200;
  row.columns = kBradescoColumns;
  row.kinds = kCnab200Kinds;
  row.line_kind = MarkedRecordLine;
  row.demo.in_file = ZeroFilled<10>;
  return row;
}

Layout Cnab240() {
  Layout row;
  row.width = 240;
  row.columns = kCnab240Columns;
  row.kinds = kCnab240Kinds;
  row.line_kind = Cnab240Line;
  row.account = MaskWidthAccount;
  row.indicator = IndicatorOrCategory;
  row.check_record = CheckBatchHeader;
  row.demo.in_file = ZeroFilled<13>;
  return row;
}

namespace {

Layout Bradesco() {
  Layout row = Cnab200();
  row.name = "bradesco";
  row.caption = "Bradesco, 200 colunas";
  row.cnab_codes = {"237"};
  row.account = BradescoMaskedAccount;
  row.year = BradescoYearText;
  row.stored_statement = StoredStatement::kAdoptOtherCode;
  row.final_balance_resets = FinalBalanceResets::kAccount;
  row.no_data = NoDataTest::kNoSequenceCode;
  row.demo = {{"237", "BANCO BRADESCO S.A.", "237", "9999999-9"},
              "001",
              "3509",
              "00125668",
              "BRADESCO C/C 0012566-8",
              "BRADESCO S/A",
              ZeroFilled<10>,
              "bradesco-200.txt",
              "Bradesco, 200 columns"};
  return row;
}

// The demonstration database has it as bank 641, a second Itaú relationship of the
// company, read in 200 columns since the company names no layout for it.
Layout Itau200() {
  Layout row = Cnab200();
  row.name = "itau-200";
  row.caption = "Itaú, 200 colunas";
  row.cnab_codes = {"341"};
  row.company_layouts = {"", "200"};
  row.columns = kItau200Columns;
  row.account_lookup = AccountLookup::kVerificaContCorr;
  row.final_balance_resets = FinalBalanceResets::kStatement;
  row.demo = {{"641", "ITAÚ UNIBANCO - 200 COLUNAS", "341", "99999-9"},
              "027",
              "3886",
              "007693",
              "ITAÚ 200 C/C 00769-3",
              "BANCO ITAU SA",
              ZeroFilled<6>,
              "itau-200.txt",
              "Itaú, 200 columns"};
  return row;
}

Layout Febraban() {
  Layout row = Cnab240();
  row.name = "febraban";
  row.caption = "FEBRABAN padrão, 240 colunas";
  row.line_kind = FebrabanLine;
  row.stored_statement = StoredStatement::kAdoptOtherCode;
  row.no_data = NoDataTest::kNoMovement;
  row.submission = "SetFebraban";
  row.duplicates = Duplicates::kAskTheUser;
  row.demo = {{"001", "BANCO DO BRASIL S.A.", "001", "99999999-9"},
              "014",
              "0679",
              "027267110",
              "BB C/C 02726711-0",
              "",
              ZeroFilled<13>,
              "febraban-240.txt",
              "FEBRABAN standard, 240 columns"};
  return row;
}

// The number, a blank, and the check digit.
std::string Itau240AccountInFile(std::string_view n) {
  return fmt::format("{} {}", n.substr(0, n.size() - 1), n.substr(n.size() - 1));
}

Layout Itau240() {
  Layout row = Cnab240();
  row.name = "itau-240";
  row.caption = "Itaú, 240 colunas";
  row.cnab_codes = {"341"};
  row.company_layouts = {"240"};
  row.columns = kItau240Columns;
  row.account = Itau240Account;
  row.indicator = nullptr;
  row.document = Itau240Document;
  row.blank_lines = BlankLines::kSkipped;
  row.account_lookup = AccountLookup::kVerificaContCorr;
  row.stored_statement = StoredStatement::kAdoptAddingRunNumbers;
  row.final_balance_resets = FinalBalanceResets::kStatement;
  row.demo = {{"341", "ITAÚ UNIBANCO S.A.", "341", "99999-9"},
              "004",
              "3886",
              "007693",
              "ITAÚ C/C 00769-3",
              "",
              Itau240AccountInFile,
              "itau-240.txt",
              "Itaú, 240 columns"};
  return row;
}

Layout Real() {
  Layout row = Cnab240();
  row.name = "real";
  row.caption = "Real, 240 colunas";
  row.cnab_codes = {"275", "356"};
  row.demo = {{"356", "BANCO REAL S.A.", "356", "9999999-9"},
              "011",
              "1234",
              "05432109",
              "REAL C/C 0543210-9",
              "",
              ZeroFilled<13>,
              "real-240.txt",
              "Real, 240 columns"};
  return row;
}

Layout Santander() {
  Layout row = Cnab240();
  row.name = "santander";
  row.caption = "Santander, 240 colunas";
  row.cnab_codes = {"033"};
  row.agency = SantanderAgency;
  row.document_from_lookup = true;
  row.demo = {{"033", "BANCO SANTANDER (BRASIL) S.A.", "033", "99999999-9"},
              "008",
              "0679",
              "027267110",
              "SANTANDER C/C 02726711-0",
              "",
              ZeroFilled<13>,
              "santander-240.txt",
              "Santander, 240 columns"};
  return row;
}

std::deque<Layout>& Table() {
  static std::deque<Layout> table = {Bradesco(), Itau200(), Febraban(),
                                     Itau240(),  Real(),    Santander()};
  return table;
}

bool Contains(const std::vector<std::string>& codes, const std::string& code) {
  return std::find(codes.begin(), codes.end(), code) != codes.end();
}

}  // namespace

const std::deque<Layout>& Layouts() {
  return Table();
}

void AddLayout(Layout row) {
  RemoveLayout(row.name);
  Table().push_back(std::move(row));
}

void RemoveLayout(std::string_view name) {
  std::erase_if(Table(), [name](const Layout& row) { return row.name == name; });
}

const Layout* FindLayout(std::string_view name) {
  for (const Layout& layout : Layouts()) {
    if (layout.name == name)
      return &layout;
  }
  return nullptr;
}

std::vector<const Layout*> LayoutsOfBank(const std::string& cnab) {
  std::vector<const Layout*> of_bank;
  const Layout* fallback = nullptr;
  for (const Layout& layout : Layouts()) {
    if (layout.cnab_codes.empty())
      fallback = &layout;
    else if (Contains(layout.cnab_codes, cnab))
      of_bank.push_back(&layout);
  }
  if (of_bank.empty() && fallback)
    of_bank.push_back(fallback);
  return of_bank;
}

const Layout* LayoutOfBank(const std::string& cnab,
                           const std::function<std::string()>& company_layout) {
  std::vector<const Layout*> of_bank = LayoutsOfBank(cnab);
  if (of_bank.empty())
    return nullptr;
  if (of_bank.size() == 1 && of_bank.front()->company_layouts.empty())
    return of_bank.front();
  std::string chosen = company_layout();
  for (const Layout* layout : of_bank) {
    if (Contains(layout->company_layouts, chosen))
      return layout;
  }
  return nullptr;
}

std::vector<std::string> CnabCodesOfCompanyLayouts() {
  std::vector<std::string> codes;
  for (const Layout& layout : Layouts()) {
    for (const std::string& code :
         layout.company_layouts.empty() ? std::vector<std::string>() : layout.cnab_codes) {
      if (!Contains(codes, code))
        codes.push_back(code);
    }
  }
  return codes;
}

std::string_view BankOfCaption(const Layout& layout) {
  return layout.caption.substr(0, layout.caption.find(','));
}

std::vector<std::string> CompanyLayoutCodes() {
  std::vector<std::string> codes;
  for (const Layout& layout : Layouts()) {
    for (const std::string& code : layout.company_layouts) {
      if (!code.empty() && !Contains(codes, code))
        codes.push_back(code);
    }
  }
  return codes;
}

}  // namespace importers
