#include "server/account_number.h"

#include <algorithm>
#include <cctype>

#include <fmt/format.h>

#include "layouts/layout.h"

namespace server {

namespace {

constexpr char kSeparator = '-';
// What people type between the parts of a number.
constexpr std::string_view kTypedSeparators = "-./ ";

bool IsAccountCharacter(char c) {
  return std::isdigit(static_cast<unsigned char>(c)) || c == 'X' || c == 'x';
}

}  // namespace

Expected<std::string> StoredAccountNumber(std::string_view typed, std::string_view mask,
                                          std::string_view bank) {
  std::string bare;
  for (char c : typed) {
    if (kTypedSeparators.find(c) != std::string_view::npos)
      continue;
    if (!IsAccountCharacter(c)) {
      return Failure{fmt::format(
          "O número da conta \"{}\" deve ter só dígitos (e \"-\" antes do dígito verificador).",
          typed)};
    }
    bare += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  if (bare.empty())
    return Failure{"O número da conta corrente deve ser informado."};
  auto places = static_cast<std::size_t>(importers::MaskPlaces(mask));
  if (bare.size() > places) {
    return Failure{
        fmt::format("O número da conta \"{}\" tem {} dígitos; a máscara do banco {} ({}) tem {}.",
                    typed, bare.size(), bank, mask, places)};
  }
  return std::string(places - bare.size(), '0') + bare;
}

std::string ShownAccountNumber(std::string_view stored, std::string_view mask) {
  if (stored.size() != static_cast<std::size_t>(importers::MaskPlaces(mask)))
    return std::string(stored);
  std::string shown;
  std::size_t next = 0;
  for (char c : mask)
    shown += c == kSeparator ? kSeparator : stored[next++];
  return shown;
}

std::string AccountTypeLetter(std::string_view name) {
  for (const AccountType& type : kAccountTypes) {
    if (type.name == name)
      return std::string(type.letter);
  }
  return std::string(name);
}

std::string AccountTypeName(std::string_view letter) {
  for (const AccountType& type : kAccountTypes) {
    if (type.letter == letter)
      return std::string(type.name);
  }
  return std::string(letter);
}

}  // namespace server
