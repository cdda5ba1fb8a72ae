#ifndef EXTRATO_IMPORTERS_FEBRABAN_H_
#define EXTRATO_IMPORTERS_FEBRABAN_H_

#include <cstddef>
#include <string_view>

namespace importers {

// How many columns from 59 hold the account number of a FEBRABAN record, by the
// bank's account mask: 12 without "-", 13 with at most one check place after the
// first "-", 14 with two or more. Sets nrDigVerif when the mask has a "-".
std::size_t FebrabanAccountWidth(std::string_view mask);

}  // namespace importers

#endif  // EXTRATO_IMPORTERS_FEBRABAN_H_
