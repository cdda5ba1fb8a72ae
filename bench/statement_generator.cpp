#include "statement_generator.h"

#include <array>
#include <chrono>
#include <random>

#include <fmt/format.h>

#include "importers/statement_writer.h"

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

// Account 0 of each layout is the demonstration account of its bank.
constexpr const char* kDemoReduced[] = {"001", "014"};
constexpr const char* kDemoNumber[] = {"00125668", "027267110"};

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

Statement MakeStatement(long movements, std::mt19937_64& random) {
  Statement statement;
  statement.first_day = std::chrono::sys_days(kFirstDay);
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

std::string FileAccount(Layout layout, const GeneratedAccount& account) {
  return layout == Layout::kBradesco ? "00" + account.number : "0000" + account.number;
}

void AppendBradesco(const GeneratedAccount& account, const Statement& s,
                    std::vector<std::string>& lines) {
  writer::BradescoRecord record;
  record.agency = account.agency;
  record.account = FileAccount(Layout::kBradesco, account);
  auto add = [&](char kind, std::chrono::sys_days day, long long cents, char indicator) {
    record.kind = kind;
    record.date = Date(day, "{0:02}{1:02}{2:02}");
    record.cents = cents;
    record.indicator = indicator;
    record.sequence = static_cast<long long>(lines.size()) + 1;
    lines.push_back(writer::BradescoLine(record));
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

void AppendFebraban(const GeneratedAccount& account, const Statement& s,
                    std::vector<std::string>& lines) {
  writer::FebrabanRecord record;
  record.bank = account.bank;
  record.agency = account.agency;
  record.account = FileAccount(Layout::kFebraban, account);
  auto add = [&](char kind, std::chrono::sys_days day, long long cents, char indicator) {
    record.kind = kind;
    record.date = Date(day, "{0:02}{1:02}{3:04}");
    record.cents = cents;
    record.indicator = std::string(1, indicator);
    lines.push_back(writer::FebrabanLine(record));
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

std::string BankOf(Layout layout) {
  return layout == Layout::kBradesco ? "237" : "001";
}

std::vector<GeneratedAccount> GeneratedAccounts(Layout layout, int accounts) {
  int l = layout == Layout::kBradesco ? 0 : 1;
  std::string agency = layout == Layout::kBradesco ? "3509" : "0679";
  std::vector<GeneratedAccount> result;
  for (int k = 0; k < accounts; ++k) {
    if (k == 0) {
      result.push_back({kDemoReduced[l], BankOf(layout), agency, kDemoNumber[l]});
    } else {
      result.push_back({fmt::format("G{:02}", k), BankOf(layout), agency,
                        layout == Layout::kBradesco ? fmt::format("{:08}", 90000000 + k)
                                                    : fmt::format("{:09}", 900000000 + k)});
    }
  }
  return result;
}

std::vector<std::string> GenerateStatement(const GeneratorOptions& options) {
  std::mt19937_64 random(options.seed);
  std::vector<GeneratedAccount> accounts = GeneratedAccounts(options.layout, options.accounts);
  std::vector<std::string> lines;
  if (options.layout == Layout::kBradesco) {
    lines.push_back(writer::BradescoFileHeader(
        "EMPRESA EXEMPLO LTDA", Date(std::chrono::sys_days(kFirstDay), "{0:02}{1:02}{2:02}")));
  }
  long long debits = 0, credits = 0;
  for (std::size_t k = 0; k < accounts.size(); ++k) {
    long share = options.movements / options.accounts +
                 (static_cast<long>(k) < options.movements % options.accounts ? 1 : 0);
    Statement statement = MakeStatement(share, random);
    for (const Movement& m : statement.movements)
      (m.credit ? credits : debits) += m.cents;
    if (options.layout == Layout::kBradesco) {
      AppendBradesco(accounts[k], statement, lines);
    } else {
      AppendFebraban(accounts[k], statement, lines);
    }
  }
  if (options.layout == Layout::kBradesco) {
    lines.push_back(
        writer::BradescoTrailer(debits, credits, static_cast<long long>(lines.size()) + 1));
  }
  return lines;
}

}  // namespace bench
