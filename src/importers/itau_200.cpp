#include "importers/itau_200.h"

#include "host/routines.h"
#include "importers/run_state.h"

namespace importers {

std::string Itau200Account(const Layout& layout, std::string_view line, std::string_view,
                           RunState& state) {
  return host::Right(host::AllTrim(FieldAt(line, layout.columns.account)), state.nrDigConta);
}

}  // namespace importers
