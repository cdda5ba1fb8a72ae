#include "layouts/itau_240.h"

#include "host/routines.h"

namespace importers {

namespace {

constexpr Column kAccountNumber{66, 5};
constexpr Column kCheckDigit{72, 1};
constexpr int kDocumentWidth = 20;

}  // namespace

std::string Itau240Account(const Layout&, std::string_view line, std::string_view mask) {
  return host::Ajusta(
      host::AllTrim(FieldAt(line, kAccountNumber)) + host::AllTrim(FieldAt(line, kCheckDigit)),
      MaskPlaces(mask));
}

std::string Itau240Document(std::string_view as_written) {
  if (host::EmptyString(as_written))
    return host::Replicate("0", kDocumentWidth);
  return std::string(as_written);
}

}  // namespace importers
