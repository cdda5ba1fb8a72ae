#ifndef EXTRATO_HOST_FILTER_EXPRESSION_H_
#define EXTRATO_HOST_FILTER_EXPRESSION_H_

#include <string>
#include <string_view>
#include <vector>

namespace host {

// One "FIELD = 'value'" of a filter; a row passes when the field's text is the value.
struct FilterTerm {
  std::string field;
  std::string value;
};

// Reads "FIELD = 'value' AND FIELD = 'value'": AND in any letter case, blanks free,
// '' inside a value for one quote. A blank expression has no terms. Throws
// host::Exception naming the character position where the text cannot be read.
std::vector<FilterTerm> ParseFilter(std::string_view expression);

}  // namespace host

#endif  // EXTRATO_HOST_FILTER_EXPRESSION_H_
