// Account numbers as a bank prints them and as the lookups match them.
#ifndef EXTRATO_SERVER_ACCOUNT_NUMBER_H_
#define EXTRATO_SERVER_ACCOUNT_NUMBER_H_

#include <cstddef>
#include <string>
#include <string_view>

#include "server/expected.h"

namespace server {

// The number as stored: digits (an "X" check digit included) without separators,
// as many as the mask has places, a shorter number filled with zeros on the left.
// "9000000-2" and "90000002" both give "90000002" for the mask "9999999-9".
Expected<std::string> StoredAccountNumber(std::string_view typed, std::string_view mask,
                                          std::string_view bank);

// The account types as users name them, and the letter IDTIPOCONTA stores.
struct AccountType {
  std::string_view name;
  std::string_view letter;
};
inline constexpr AccountType kAccountTypes[] = {
    {"Circulante", "C"}, {"Aplicação", "L"}, {"Garantida", "G"}};

// The letter of a named type, and the name of a letter; anything else as given.
std::string AccountTypeLetter(std::string_view name);
std::string AccountTypeName(std::string_view letter);

// A stored number laid over its mask: "90000002" gives "9000000-2". A number that
// does not fit the mask is shown as stored.
std::string ShownAccountNumber(std::string_view stored, std::string_view mask);

}  // namespace server

#endif  // EXTRATO_SERVER_ACCOUNT_NUMBER_H_
