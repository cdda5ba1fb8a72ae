#ifndef EXTRATO_TESTING_FAULTY_STATEMENTS_TEST_SUPPORT_H_
#define EXTRATO_TESTING_FAULTY_STATEMENTS_TEST_SUPPORT_H_

// Test support for both front ends: example files with hostile bytes or values out
// of the database's range written over one field of their first statement record,
// and the error that each must end with, in the import and in its preview alike.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace apps::testing {

struct FaultyStatement {
  const char* name;
  const char* sample;  // a file of samples/
  const char* bank;    // the bank code to import it with
  std::size_t line;    // 1-based
  std::size_t column;  // 1-based; the bytes are written over the sample's from here
  std::string bytes;
  std::string error;  // the whole message shown
};

// Line 2 of both samples is the first statement record: an initial balance, whose
// date and amount the server would refuse only when the header is saved, with no
// line to name.
inline const std::vector<FaultyStatement>& FaultyStatements() {
  static const std::vector<FaultyStatement> cases = {
      {"EscInTheAmount", "bradesco-200.txt", "237", 2, 87, "\x1b[31m",
       "Linha 2: '\\x1b[31m00000364911,92' não é um valor monetário válido."},
      {"BelInTheMonth", "bradesco-200.txt", "237", 2, 84, "\a",
       "Linha 2: '0\\x07' não é um valor válido para o mês."},
      {"NulInTheDay", "bradesco-200.txt", "237", 2, 82, std::string(1, '\0'),
       "Linha 2: '0\\0' não é um valor válido para o dia."},
      // Not UTF-8: the whole file reads as Windows-1252, where 0xFF is a letter.
      {"InvalidUtf8ByteInTheAmount", "bradesco-200.txt", "237", 2, 102, "\xff",
       "Linha 2: '000000000036491ÿ,92' não é um valor monetário válido."},
      // ... and 0x81 a C1 control.
      {"UndefinedWindows1252ByteInTheAmount", "bradesco-200.txt", "237", 2, 102, "\x81",
       "Linha 2: '000000000036491\\x81,92' não é um valor monetário válido."},
      // Text as written, never markup for a dialog to render.
      {"MarkupInTheAmount", "bradesco-200.txt", "237", 2, 87, "<h1>",
       "Linha 2: '<h1>000000364911,92' não é um valor monetário válido."},
      {"SixteenDigitAmount", "bradesco-200.txt", "237", 2, 87, "999999999999999999",
       "Linha 2: o valor '9999999999999999,99' está fora do intervalo aceito (no máximo 13 "
       "dígitos inteiros)."},
      {"AmountOneDigitTooWide", "bradesco-200.txt", "237", 2, 87, "001000000000000000",
       "Linha 2: o valor '0010000000000000,00' está fora do intervalo aceito (no máximo 13 "
       "dígitos inteiros)."},
      {"YearZero", "febraban-240.txt", "001", 2, 147, "0000",
       "Linha 2: a data '02/01/0000' está fora do intervalo aceito (anos de 1 a 9999)."},
  };
  return cases;
}

// The sample with the case's bytes written over it, as a file of `folder`.
inline std::string WriteFaultyFile(const FaultyStatement& fault, const std::string& samples,
                                   const std::filesystem::path& folder) {
  std::ifstream in(samples + "/" + fault.sample, std::ios::binary);
  std::string bytes(std::istreambuf_iterator<char>(in), {});
  std::size_t start = 0;
  for (std::size_t line = 1; line < fault.line; ++line)
    start = bytes.find('\n', start) + 1;
  if ((fault.line > 1 && start == 0) ||
      start + fault.column - 1 + fault.bytes.size() > bytes.size())
    throw std::logic_error(std::string("no such place in ") + fault.sample);
  bytes.replace(start + fault.column - 1, fault.bytes.size(), fault.bytes);
  std::filesystem::path path = folder / (std::string(fault.name) + ".txt");
  std::ofstream(path, std::ios::binary) << bytes;
  return path.string();
}

}  // namespace apps::testing

#endif  // EXTRATO_TESTING_FAULTY_STATEMENTS_TEST_SUPPORT_H_
