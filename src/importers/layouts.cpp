#include "importers/layouts.h"

#include <algorithm>
#include <vector>

#include "importers/bradesco.h"
#include "importers/cnab240.h"
#include "importers/febraban.h"
#include "importers/itau_200.h"
#include "importers/itau_240.h"
#include "importers/santander.h"

namespace importers {

namespace {

const std::vector<Layout>& Table() {
  static const std::vector<Layout> table = {
      {
          .name = "bradesco",
          .caption = "Bradesco, 200 colunas",
          .cnab_codes = {"237"},
          .company_layouts = {},
          .width = 200,
          .columns = kBradescoColumns,
          .kinds = kCnab200Kinds,
          .line_kind = MarkedRecordLine,
          .agency = TrimmedAgency,
          .masked_account = BradescoMaskedAccount,
          .year = BradescoYearText,
          .indicator = nullptr,
          .document = nullptr,
          .check_record = nullptr,
          .blank_lines = BlankLines::kPassedOver,
          .account_lookup = AccountLookup::kContCorr,
          .stored_statement = StoredStatement::kAdoptOtherCode,
          .document_from_lookup = false,
          .final_balance_resets = FinalBalanceResets::kAccount,
          .no_data = NoDataTest::kNoSequenceCode,
          .submission = "Set_Real_Bradesco",
          .movement_policy = nullptr,
      },
      {
          .name = "itau-200",
          .caption = "Itaú, 200 colunas",
          .cnab_codes = {"341"},
          .company_layouts = {"", "200"},
          .width = 200,
          .columns = kItau200Columns,
          .kinds = kCnab200Kinds,
          .line_kind = MarkedRecordLine,
          .agency = TrimmedAgency,
          .masked_account = Itau200Account,
          .year = nullptr,
          .indicator = nullptr,
          .document = nullptr,
          .check_record = nullptr,
          .blank_lines = BlankLines::kPassedOver,
          .account_lookup = AccountLookup::kVerificaContCorr,
          .stored_statement = StoredStatement::kAdopt,
          .document_from_lookup = false,
          .final_balance_resets = FinalBalanceResets::kStatement,
          .no_data = NoDataTest::kNoRecordRead,
          .submission = "Set_Real_Bradesco",
          .movement_policy = nullptr,
      },
      {
          .name = "febraban",
          .caption = "FEBRABAN padrão, 240 colunas",
          .cnab_codes = {},
          .company_layouts = {},
          .width = 240,
          .columns = kCnab240Columns,
          .kinds = kCnab240Kinds,
          .line_kind = FebrabanLine,
          .agency = TrimmedAgency,
          .masked_account = MaskWidthAccount,
          .year = nullptr,
          .indicator = IndicatorOrCategory,
          .document = nullptr,
          .check_record = CheckBatchHeader,
          .blank_lines = BlankLines::kPassedOver,
          .account_lookup = AccountLookup::kContCorr,
          .stored_statement = StoredStatement::kAdoptOtherCode,
          .document_from_lookup = false,
          .final_balance_resets = FinalBalanceResets::kNothing,
          .no_data = NoDataTest::kNoMovement,
          .submission = "SetFebraban",
          .movement_policy = AskAboutDuplicates,
      },
      {
          .name = "itau-240",
          .caption = "Itaú, 240 colunas",
          .cnab_codes = {"341"},
          .company_layouts = {"240"},
          .width = 240,
          .columns = kItau240Columns,
          .kinds = kCnab240Kinds,
          .line_kind = Cnab240Line,
          .agency = TrimmedAgency,
          .masked_account = Itau240Account,
          .year = nullptr,
          .indicator = nullptr,
          .document = Itau240Document,
          .check_record = CheckBatchHeader,
          .blank_lines = BlankLines::kSkipped,
          .account_lookup = AccountLookup::kVerificaContCorr,
          .stored_statement = StoredStatement::kAdoptAddingRunNumbers,
          .document_from_lookup = false,
          .final_balance_resets = FinalBalanceResets::kStatement,
          .no_data = NoDataTest::kNoRecordRead,
          .submission = "Set_Real_Bradesco",
          .movement_policy = nullptr,
      },
      {
          .name = "real",
          .caption = "Real, 240 colunas",
          .cnab_codes = {"275", "356"},
          .company_layouts = {},
          .width = 240,
          .columns = kCnab240Columns,
          .kinds = kCnab240Kinds,
          .line_kind = Cnab240Line,
          .agency = TrimmedAgency,
          .masked_account = MaskWidthAccount,
          .year = nullptr,
          .indicator = IndicatorOrCategory,
          .document = nullptr,
          .check_record = CheckBatchHeader,
          .blank_lines = BlankLines::kPassedOver,
          .account_lookup = AccountLookup::kContCorr,
          .stored_statement = StoredStatement::kAdopt,
          .document_from_lookup = false,
          .final_balance_resets = FinalBalanceResets::kNothing,
          .no_data = NoDataTest::kNoRecordRead,
          .submission = "Set_Real_Bradesco",
          .movement_policy = nullptr,
      },
      {
          .name = "santander",
          .caption = "Santander, 240 colunas",
          .cnab_codes = {"033"},
          .company_layouts = {},
          .width = 240,
          .columns = kCnab240Columns,
          .kinds = kCnab240Kinds,
          .line_kind = Cnab240Line,
          .agency = SantanderAgency,
          .masked_account = MaskWidthAccount,
          .year = nullptr,
          .indicator = IndicatorOrCategory,
          .document = nullptr,
          .check_record = CheckBatchHeader,
          .blank_lines = BlankLines::kPassedOver,
          .account_lookup = AccountLookup::kContCorr,
          .stored_statement = StoredStatement::kAdopt,
          .document_from_lookup = true,
          .final_balance_resets = FinalBalanceResets::kNothing,
          .no_data = NoDataTest::kNoRecordRead,
          .submission = "Set_Real_Bradesco",
          .movement_policy = nullptr,
      },
  };
  return table;
}

bool Contains(const std::vector<std::string>& codes, const std::string& code) {
  return std::find(codes.begin(), codes.end(), code) != codes.end();
}

}  // namespace

std::span<const Layout> Layouts() {
  return Table();
}

const Layout* FindLayout(std::string_view name) {
  for (const Layout& layout : Layouts()) {
    if (layout.name == name)
      return &layout;
  }
  return nullptr;
}

const Layout* LayoutOfBank(const std::string& cnab,
                           const std::function<std::string()>& company_layout) {
  std::vector<const Layout*> of_bank;
  const Layout* fallback = nullptr;
  for (const Layout& layout : Layouts()) {
    if (layout.cnab_codes.empty())
      fallback = &layout;
    else if (Contains(layout.cnab_codes, cnab))
      of_bank.push_back(&layout);
  }
  if (of_bank.empty())
    return fallback;
  if (of_bank.size() == 1 && of_bank.front()->company_layouts.empty())
    return of_bank.front();
  std::string chosen = company_layout();
  for (const Layout* layout : of_bank) {
    if (Contains(layout->company_layouts, chosen))
      return layout;
  }
  return nullptr;
}

}  // namespace importers
