#ifndef EXTRATO_IMPORTERS_FEBRABAN_H_
#define EXTRATO_IMPORTERS_FEBRABAN_H_

// FEBRABAN standard statement file: the 240-column records of cnab240.h, read
// as they are. What this layout does its own way: the file header and trailer end
// the account, and stored and repeated movements are put to the user.

#include <memory>
#include <string_view>

#include "importers/layout.h"

namespace importers {

LineKind FebrabanLine(const Layout& layout, std::string_view line);

// Only the file's first movement is looked up on the server, and a hit is asked
// about; a movement that repeats one of the file is asked about once. Neither
// question leaves a movement out: each lets the file through or cancels the run.
std::unique_ptr<MovementPolicy> AskAboutDuplicates();

}  // namespace importers

#endif  // EXTRATO_IMPORTERS_FEBRABAN_H_
