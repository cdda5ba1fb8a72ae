#include "layouts/bradesco.h"

#include "host/routines.h"

namespace importers {

namespace {

constexpr Column kMarker{1, 1};
constexpr Column kAccountWithoutCheck{32, 9};
constexpr Column kAccountCheck{41, 1};

}  // namespace

LineKind MarkedRecordLine(const Layout&, std::string_view line) {
  return FieldAt(line, kMarker) == "1" ? LineKind::kRecord : LineKind::kPassedOver;
}

std::string BradescoAccountNumber(std::string_view line) {
  if (FieldAt(line, kAccountCheck) == "P") {
    return host::AllTrim(FieldAt(line, kAccountWithoutCheck)) + "0";
  }
  return host::AllTrim(FieldAt(line, kBradescoColumns.account));
}

std::string BradescoMaskedAccount(const Layout&, std::string_view line, std::string_view mask) {
  return host::Right(BradescoAccountNumber(line), MaskPlaces(mask));
}

std::string BradescoYearText(std::string_view two_digits) {
  return (two_digits < std::string_view("90") ? "20" : "19") + std::string(two_digits);
}

}  // namespace importers
