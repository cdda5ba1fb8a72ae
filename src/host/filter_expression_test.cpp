#include "host/filter_expression.h"

#include <gtest/gtest.h>

#include "host/exceptions.h"

namespace host {
namespace {

std::string Terms(std::string_view expression) {
  std::string text;
  for (const auto& term : ParseFilter(expression))
    text += term.field + "=[" + term.value + "] ";
  return text;
}

TEST(FilterExpressionTest, Reads) {
  EXPECT_EQ("", Terms(""));
  EXPECT_EQ("", Terms("   "));
  EXPECT_EQ("CDREDUCONT=[001] ", Terms("CDREDUCONT = '001'"));
  EXPECT_EQ("A=[1] B=[x y] ", Terms("A='1' AND B='x y'"));
  EXPECT_EQ("A=[1] B=[2] ", Terms("  A ='1'and\tB= '2'  "));
  EXPECT_EQ("A=[1] B=[2] ", Terms("A='1'AnD B='2'"));
  EXPECT_EQ("A=[D'Ávila] ", Terms("A = 'D''Ávila'"));
  EXPECT_EQ("A=[''] B=[] ", Terms("A = '''''' AND B = ''"));
  EXPECT_EQ("A=[ and B = 'x] ", Terms("A = ' and B = ''x'"));
}

TEST(FilterExpressionTest, Errors) {
  auto error = [](std::string_view expression) {
    try {
      ParseFilter(expression);
    } catch (const Exception& e) {
      return std::string(e.what());
    }
    return std::string("nenhum erro");
  };
  EXPECT_EQ("Filtro inválido \"= '1'\": esperado o nome de um campo na posição 1.", error("= '1'"));
  EXPECT_EQ("Filtro inválido \"A '1'\": esperado '=' na posição 3.", error("A '1'"));
  EXPECT_EQ("Filtro inválido \"A = 1\": esperado um valor entre aspas simples na posição 5.",
            error("A = 1"));
  EXPECT_EQ("Filtro inválido \"Ç = 'ã\": esperado o nome de um campo na posição 1.",
            error("Ç = 'ã"));
  EXPECT_EQ("Filtro inválido \"A = 'ã\": aspas simples sem fechamento na posição 5.",
            error("A = 'ã"));
  EXPECT_EQ("Filtro inválido \"A = 'ã''\": aspas simples sem fechamento na posição 5.",
            error("A = 'ã''"));
  EXPECT_EQ("Filtro inválido \"A = 'ç' B = '2'\": esperado AND na posição 9.",
            error("A = 'ç' B = '2'"));
  EXPECT_EQ("Filtro inválido \"A = '1' OR B = '2'\": esperado AND na posição 9.",
            error("A = '1' OR B = '2'"));
  EXPECT_EQ("Filtro inválido \"A = '1' ANDB = '2'\": esperado AND na posição 9.",
            error("A = '1' ANDB = '2'"));
  EXPECT_EQ("Filtro inválido \"A = '1' AND\": esperado o nome de um campo na posição 12.",
            error("A = '1' AND"));
}

}  // namespace
}  // namespace host
