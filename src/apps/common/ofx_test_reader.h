#ifndef EXTRATO_APPS_COMMON_OFX_TEST_READER_H_
#define EXTRATO_APPS_COMMON_OFX_TEST_READER_H_

// Test support: an OFX file read back by libofx, the library personal-finance
// programs import with, into what the tests compare.

#include <libofx/libofx.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <fmt/format.h>

namespace apps::testing {

struct OfxRead {
  struct Transaction {
    std::string fitid;
    std::string date;    // YYYY-MM-DD
    std::string amount;  // to the cent, "-12.30"
    std::string memo;
    std::string reference;
  };
  std::string bank;
  std::string account;
  std::vector<Transaction> transactions;
  std::string ledger_balance;  // "" when the file has none
  std::string ledger_date;
};

inline std::string OfxDay(time_t time) {
  std::tm tm{};
  gmtime_r(&time, &tm);
  return fmt::format("{:04}-{:02}-{:02}", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
}

inline OfxRead ReadOfx(const std::string& text) {
  static int counter = 0;
  std::filesystem::path file = std::filesystem::temp_directory_path() /
                               fmt::format("extrato_ofx_{}_{}.ofx", getpid(), counter++);
  std::ofstream(file, std::ios::binary) << text;
  OfxRead read;
  LibofxContextPtr context = libofx_get_new_context();
  ofx_set_account_cb(
      context,
      [](const OfxAccountData data, void* out) {
        auto* read = static_cast<OfxRead*>(out);
        read->bank = data.bank_id_valid ? data.bank_id : "";
        read->account = data.account_number_valid ? data.account_number : "";
        return 0;
      },
      &read);
  ofx_set_transaction_cb(
      context,
      [](const OfxTransactionData data, void* out) {
        auto* read = static_cast<OfxRead*>(out);
        read->transactions.push_back({data.fi_id_valid ? data.fi_id : "",
                                      data.date_posted_valid ? OfxDay(data.date_posted) : "",
                                      data.amount_valid ? fmt::format("{:.2f}", data.amount) : "",
                                      data.memo_valid ? data.memo : "",
                                      data.reference_number_valid ? data.reference_number : ""});
        return 0;
      },
      &read);
  ofx_set_statement_cb(
      context,
      [](const OfxStatementData data, void* out) {
        auto* read = static_cast<OfxRead*>(out);
        if (data.ledger_balance_valid)
          read->ledger_balance = fmt::format("{:.2f}", data.ledger_balance);
        if (data.ledger_balance_date_valid)
          read->ledger_date = OfxDay(data.ledger_balance_date);
        return 0;
      },
      &read);
  libofx_proc_file(context, file.c_str(), OFX);
  libofx_free_context(context);
  std::filesystem::remove(file);
  return read;
}

}  // namespace apps::testing

#endif  // EXTRATO_APPS_COMMON_OFX_TEST_READER_H_
