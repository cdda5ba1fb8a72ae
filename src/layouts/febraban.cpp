#include "layouts/febraban.h"

#include "layouts/cnab240.h"

namespace importers {

// They end the account, so that a further file in the same one resolves its own.
LineKind FebrabanLine(const Layout& layout, std::string_view line) {
  return IsFileRecord(layout, line) ? LineKind::kEndsAccount : LineKind::kRecord;
}

}  // namespace importers
