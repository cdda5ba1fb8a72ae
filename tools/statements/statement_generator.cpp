#include "tools/statements/statement_generator.h"

#include <array>
#include <chrono>
#include <random>
#include <stdexcept>
#include <string_view>

#include <fmt/format.h>

#include "layouts/statement_writer.h"

namespace bench {

namespace {

namespace writer = importers::writer;

constexpr std::array<const char*, 8> kHistories = {
    "PAGTO FORNECEDOR", "TED RECEBIDA", "DEPOSITO EM CHEQUE", "TARIFA BANCARIA",
    "PIX RECEBIDO",     "PAGTO TITULO", "RESGATE APLICACAO",  "LIQUIDACAO COBRANCA"};
constexpr std::array<const char*, 8> kCategories = {"105", "206", "201", "104",
                                                    "209", "102", "206", "213"};
constexpr std::chrono::year_month_day kFirstDay{std::chrono::year{2024} / 1 / 2};
constexpr int kStatementDays = 30;

std::string ZeroFilled(std::string_view number, std::size_t width) {
  return std::string(width - std::min(width, number.size()), '0') + std::string(number);
}

struct Movement {
  std::chrono::sys_days day;
  long long cents;
  bool credit;
  std::string document;
  int kind;  // index into the histories and categories
};

// A statement of one account: its movements and balances, in cents (credit positive).
struct Statement {
  std::chrono::sys_days first_day;
  long long initial = 0;
  std::vector<Movement> movements;
  long long Final() const {
    long long balance = initial;
    for (const Movement& m : movements)
      balance += m.credit ? m.cents : -m.cents;
    return balance;
  }
};

Statement MakeStatement(long movements, std::chrono::sys_days first_day, std::mt19937_64& random) {
  Statement statement;
  statement.first_day = first_day;
  statement.initial = std::uniform_int_distribution<long long>(-5'000'000, 50'000'000)(random);
  std::uniform_int_distribution<long long> cents(1, 2'000'000);
  std::uniform_int_distribution<int> kind(0, static_cast<int>(kHistories.size()) - 1);
  for (long i = 0; i < movements; ++i) {
    int k = kind(random);
    statement.movements.push_back(
        {statement.first_day + std::chrono::days{i * kStatementDays / std::max(movements, 1L)},
         cents(random), kCategories[k][0] == '2', fmt::format("{}", 100000 + i), k});
  }
  return statement;
}

std::string Date(std::chrono::sys_days day, const char* format) {
  std::chrono::year_month_day ymd{day};
  return fmt::format(fmt::runtime(format), static_cast<unsigned>(ymd.day()),
                     static_cast<unsigned>(ymd.month()), static_cast<int>(ymd.year()) % 100,
                     static_cast<int>(ymd.year()));
}

char Sign(long long balance) {
  return balance < 0 ? 'D' : 'C';
}

void AppendStatement200(const importers::Layout& layout, const GeneratedAccount& account,
                        const Statement& s, std::vector<std::string>& lines) {
  writer::Record record;
  record.bank = layout.demo.bank.cnab;
  record.agency = account.agency;
  record.account = layout.demo.in_file(account.number);
  const char* date_format =
      layout.columns.year.length == 2 ? "{0:02}{1:02}{2:02}" : "{0:02}{1:02}{3:04}";
  auto add = [&](char kind, std::chrono::sys_days day, long long cents, char indicator) {
    record.kind = kind;
    record.date = Date(day, date_format);
    record.cents = cents;
    record.indicator = std::string(1, indicator);
    record.sequence = static_cast<long long>(lines.size()) + 1;
    lines.push_back(writer::Line(layout, record));
  };
  add('0', s.first_day, std::abs(s.initial), Sign(s.initial));
  for (const Movement& m : s.movements) {
    record.document = m.document;
    record.history = kHistories[m.kind];
    record.category = kCategories[m.kind];
    add('1', m.day, m.cents, m.credit ? 'C' : 'D');
  }
  record.document = record.history = record.category = "";
  add('2', s.movements.empty() ? s.first_day : s.movements.back().day, std::abs(s.Final()),
      Sign(s.Final()));
}

void AppendStatement240(const importers::Layout& layout, const GeneratedAccount& account,
                        const Statement& s, std::vector<std::string>& lines) {
  writer::Record record;
  record.bank = layout.demo.bank.cnab;
  record.agency = account.agency;
  record.account = layout.demo.in_file(account.number);
  auto add = [&](char kind, std::chrono::sys_days day, long long cents, char indicator) {
    record.kind = kind;
    record.date = Date(day, "{0:02}{1:02}{3:04}");
    record.cents = cents;
    record.indicator = std::string(1, indicator);
    lines.push_back(writer::Line(layout, record));
  };
  add('0', s.first_day, 0, ' ');
  record.category = "F";
  add('1', s.first_day, std::abs(s.initial), Sign(s.initial));
  for (const Movement& m : s.movements) {
    record.document = m.document;
    record.history = kHistories[m.kind];
    record.category = kCategories[m.kind];
    ++record.sequence;
    add('3', m.day, m.cents, m.credit ? 'C' : 'D');
  }
  record.document = record.history = "";
  record.category = "F";
  std::chrono::sys_days last = s.movements.empty() ? s.first_day : s.movements.back().day;
  add('5', last, std::abs(s.Final()), Sign(s.Final()));
  add('9', last, 0, ' ');
}

}  // namespace

std::string BankOf(const importers::Layout& layout) {
  return std::string(layout.demo.bank.code);
}

std::vector<GeneratedAccount> GeneratedAccounts(const importers::Layout& layout, int accounts) {
  const importers::Demo& demo = layout.demo;
  std::vector<GeneratedAccount> result = {{std::string(demo.reduced), std::string(demo.bank.code),
                                           std::string(demo.agency), std::string(demo.number)}};
  std::size_t width = demo.number.size();
  for (int k = 1; k < accounts; ++k) {
    result.push_back({fmt::format("G{:02}", k), std::string(demo.bank.code),
                      std::string(demo.agency), "9" + ZeroFilled(std::to_string(k), width - 1)});
  }
  return result;
}

std::vector<std::string> GenerateStatement(const GeneratorOptions& options) {
  const importers::Layout& layout = *options.layout;
  const importers::Demo& demo = layout.demo;
  std::mt19937_64 random(options.seed);
  std::chrono::sys_days first_day =
      std::chrono::sys_days(kFirstDay) + std::chrono::days{options.later_days};
  std::vector<GeneratedAccount> accounts = GeneratedAccounts(layout, options.accounts);
  std::vector<std::string> lines;
  bool columns200 = layout.width == 200;
  if (columns200) {
    lines.push_back(writer::FileHeader200(demo.bank.cnab, demo.bank_in_file, "EMPRESA EXEMPLO LTDA",
                                          Date(first_day, "{0:02}{1:02}{2:02}")));
  }
  long long debits = 0, credits = 0;
  for (std::size_t k = 0; k < accounts.size(); ++k) {
    long share = options.movements / options.accounts +
                 (static_cast<long>(k) < options.movements % options.accounts ? 1 : 0);
    Statement statement = MakeStatement(share, first_day, random);
    for (const Movement& m : statement.movements)
      (m.credit ? credits : debits) += m.cents;
    if (columns200) {
      AppendStatement200(layout, accounts[k], statement, lines);
    } else {
      AppendStatement240(layout, accounts[k], statement, lines);
    }
  }
  if (columns200) {
    lines.push_back(writer::Trailer200(demo.bank.cnab, debits, credits,
                                       static_cast<long long>(lines.size()) + 1));
  }
  return lines;
}

}  // namespace bench
