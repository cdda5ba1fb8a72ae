#include "layouts/santander.h"

#include "host/routines.h"

namespace importers {

namespace {

constexpr Column kAgencyField{53, 5};
constexpr int kAgencyWidth = 4;

}  // namespace

std::string SantanderAgency(const Layout&, std::string_view line) {
  return host::Right(FieldAt(line, kAgencyField), kAgencyWidth);
}

}  // namespace importers
