#include "layouts/cnab240.h"

#include "host/routines.h"
#include "host/utf8.h"

namespace importers {

namespace {

constexpr Column kOperation{9, 1};
// Agency and account with their check characters: what names the account of a batch.
constexpr Column kAgencyAndAccount{54, 19};
constexpr Column kCategoryFirstDigit{170, 1};
constexpr std::string_view kFileHeader = "0";
constexpr std::string_view kFileTrailer = "9";
constexpr std::string_view kStatementOperation = "E";

}  // namespace

bool IsFileRecord(const Layout& layout, std::string_view line) {
  std::string kind = FieldAt(line, layout.columns.kind);
  return kind == kFileHeader || kind == kFileTrailer;
}

LineKind Cnab240Line(const Layout& layout, std::string_view line) {
  return IsFileRecord(layout, line) ? LineKind::kPassedOver : LineKind::kRecord;
}

std::optional<std::string> CheckBatchHeader(std::string_view line, std::string_view resolving) {
  if (FieldAt(line, kCnab240Columns.kind) != kCnab240Kinds.initial_balance)
    return std::nullopt;
  if (FieldAt(line, kOperation) != kStatementOperation)
    return "Arquivo_Inv";
  if (!resolving.empty() &&
      FieldAt(line, kAgencyAndAccount) != FieldAt(resolving, kAgencyAndAccount)) {
    return "Conta_Mult";
  }
  return std::nullopt;
}

std::optional<std::string> IndicatorOrCategory(const Layout& layout, std::string_view line) {
  std::string indicator = FieldAt(line, layout.columns.indicator);
  if (!host::EmptyString(indicator))
    return indicator;
  std::string category = FieldAt(line, kCategoryFirstDigit);
  if (category == "1")
    return "D";
  if (category == "2")
    return "C";
  return std::nullopt;
}

std::size_t AccountWidth(std::string_view mask) {
  auto dash = mask.find('-');
  if (dash == std::string_view::npos)
    return 12;
  std::size_t check_places =
      host::Utf8Length(host::AllTrim(host::Utf8Left(mask.substr(dash + 1), 3)));
  return check_places <= 1 ? 13 : 14;
}

std::string MaskWidthAccount(const Layout& layout, std::string_view line, std::string_view mask) {
  Column account{layout.columns.account.position, AccountWidth(mask)};
  return host::Right(host::AllTrim(FieldAt(line, account)), MaskPlaces(mask));
}

}  // namespace importers
