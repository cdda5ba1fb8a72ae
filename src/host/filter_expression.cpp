// The filter expressions of record sets.
#include "host/filter_expression.h"

#include <fmt/format.h>

#include "host/exceptions.h"
#include "host/utf8.h"

namespace host {

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool IsNameChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

class FilterParser {
 public:
  explicit FilterParser(std::string_view text) : text_(text) {}

  std::vector<FilterTerm> Parse() {
    std::vector<FilterTerm> terms;
    SkipBlanks();
    while (!AtEnd()) {
      if (!terms.empty())
        ExpectAnd();
      terms.push_back(Term());
      SkipBlanks();
    }
    return terms;
  }

 private:
  FilterTerm Term() {
    FilterTerm term;
    term.field = Name();
    if (term.field.empty())
      Fail("esperado o nome de um campo", pos_);
    SkipBlanks();
    if (!Consume('='))
      Fail("esperado '='", pos_);
    SkipBlanks();
    term.value = QuotedValue();
    return term;
  }

  void ExpectAnd() {
    std::size_t start = pos_;
    if (Utf8Upper(Name()) != "AND")
      Fail("esperado AND", start);
    SkipBlanks();
  }

  std::string Name() {
    std::size_t start = pos_;
    while (!AtEnd() && IsNameChar(text_[pos_]))
      ++pos_;
    return std::string(text_.substr(start, pos_ - start));
  }

  std::string QuotedValue() {
    std::size_t open = pos_;
    if (!Consume('\''))
      Fail("esperado um valor entre aspas simples", open);
    std::string value;
    for (;;) {
      if (AtEnd())
        Fail("aspas simples sem fechamento", open);
      char c = text_[pos_++];
      if (c == '\'' && !Consume('\''))
        return value;
      value += c;
    }
  }

  bool Consume(char c) {
    if (AtEnd() || text_[pos_] != c)
      return false;
    ++pos_;
    return true;
  }

  void SkipBlanks() {
    while (!AtEnd() && IsBlank(text_[pos_]))
      ++pos_;
  }

  bool AtEnd() const { return pos_ >= text_.size(); }

  [[noreturn]] void Fail(std::string_view reason, std::size_t offset) const {
    throw Exception(fmt::format("Filtro inválido \"{}\": {} na posição {}.", text_, reason,
                                Utf8Length(text_.substr(0, offset)) + 1));
  }

  std::string_view text_;
  std::size_t pos_ = 0;
};

}  // namespace

std::vector<FilterTerm> ParseFilter(std::string_view expression) {
  return FilterParser(expression).Parse();
}

}  // namespace host
