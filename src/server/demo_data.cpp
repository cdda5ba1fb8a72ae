#include "server/demo_data.h"

#include <array>

#include <fmt/format.h>

#include "host/soci.h"
#include "layouts/layouts.h"
#include "server/query.h"
#include "server/schema.h"
#include "server/write_transaction.h"

namespace server {

namespace {

struct DemoBank {
  const char* code;
  const char* name;
  const char* cnab;
  const char* mask;
};

// Masks as the banks print account numbers; the account numbers below have as many
// characters as their bank's mask has places other than "-". The banks and current
// accounts of the layouts' own example files come with the layouts' table; these are
// the banks no layout names, each with accounts of its own.
constexpr std::array<DemoBank, 3> kOtherBanks = {{
    {"104", "CAIXA ECONÔMICA FEDERAL", "104", "99999999-9"},
    {"399", "HSBC BANK BRASIL S.A.", "399", "99999-99"},
    {"707", "BANCO DAYCOVAL S.A.", "707", "9999999-9"},
}};

struct DemoAccount {
  const char* reduced;
  const char* bank;
  const char* agency;
  const char* number;
  const char* type;
  const char* name;
};

// Every bank also has an investment ("L") and a guaranteed ("G") account.
constexpr std::array<DemoAccount, 23> kOtherAccounts = {{
    {"002", "237", "3509", "00125676", "L", "BRADESCO APLICAÇÃO"},
    {"003", "237", "3509", "00125684", "G", "BRADESCO CONTA GARANTIDA"},
    {"005", "341", "0679", "671109", "C", "ITAÚ C/C 67110-9"},
    {"006", "341", "3886", "007701", "L", "ITAÚ APLICAÇÃO"},
    {"007", "341", "3886", "007719", "G", "ITAÚ CONTA GARANTIDA"},
    {"009", "033", "0679", "027267128", "L", "SANTANDER APLICAÇÃO"},
    {"010", "033", "0679", "027267136", "G", "SANTANDER CONTA GARANTIDA"},
    {"012", "356", "1234", "05432117", "L", "REAL APLICAÇÃO"},
    {"013", "356", "1234", "05432125", "G", "REAL CONTA GARANTIDA"},
    {"015", "001", "0679", "027267128", "L", "BB APLICAÇÃO"},
    {"016", "001", "0679", "027267136", "G", "BB CONTA GARANTIDA"},
    {"017", "104", "0679", "027267110", "C", "CAIXA C/C 02726711-0"},
    {"018", "104", "0386", "000011547", "C", "CAIXA C/C 00001154-7"},
    {"019", "104", "0386", "000011555", "L", "CAIXA APLICAÇÃO"},
    {"020", "104", "0386", "000011563", "G", "CAIXA CONTA GARANTIDA"},
    {"021", "399", "0016", "0149928", "C", "HSBC C/C 01499-28"},
    {"022", "399", "0016", "0149936", "L", "HSBC APLICAÇÃO"},
    {"023", "399", "0016", "0149944", "G", "HSBC CONTA GARANTIDA"},
    {"024", "707", "0679", "27267110", "C", "DAYCOVAL C/C 2726711-0"},
    {"025", "707", "0679", "27267128", "L", "DAYCOVAL APLICAÇÃO"},
    {"026", "707", "0679", "27267136", "G", "DAYCOVAL CONTA GARANTIDA"},
    {"028", "641", "3886", "007701", "L", "ITAÚ 200 APLICAÇÃO"},
    {"029", "641", "3886", "007719", "G", "ITAÚ 200 CONTA GARANTIDA"},
}};

void Insert(soci::session& session, std::string_view table, std::vector<std::string> values) {
  std::string placeholders;
  std::vector<SqlValue> params;
  for (std::size_t i = 0; i < values.size(); ++i) {
    placeholders += fmt::format("{}:v{}", i ? ", " : "", i);
    params.push_back(TextValue(std::move(values[i])));
  }
  Execute(session,
          fmt::format("INSERT INTO {} VALUES ({}) ON CONFLICT DO NOTHING", table, placeholders),
          std::move(params));
}

int CountRows(soci::session& session, std::string_view table) {
  return static_cast<int>(QueryNumber(session, fmt::format("SELECT COUNT(*) FROM {}", table), {}));
}

}  // namespace

DemoCounts LoadDemo(const std::string& uri) {
  InitSchema(uri);
  DatabaseUri parsed = ParseDatabaseUri(uri);
  soci::session session;
  Connect(session, parsed);
  try {
    WriteTransaction transaction(session, parsed.dialect);
    for (const importers::Layout& layout : importers::Layouts()) {
      const importers::Demo& demo = layout.demo;
      Insert(session, "BANCO",
             {std::string(demo.bank.code), std::string(demo.bank.name), std::string(demo.bank.cnab),
              std::string(demo.bank.mask)});
      Insert(session, "CONTCORR",
             {std::string(demo.reduced), std::string(demo.bank.code), std::string(demo.agency),
              std::string(demo.number), "C", std::string(demo.account_name)});
    }
    for (const DemoBank& bank : kOtherBanks) {
      Insert(session, "BANCO", {bank.code, bank.name, bank.cnab, bank.mask});
    }
    for (const DemoAccount& account : kOtherAccounts) {
      Insert(session, "CONTCORR",
             {account.reduced, account.bank, account.agency, account.number, account.type,
              account.name});
    }
    // Company "1", the host's default, reads Itaú statements in the 240-column layout.
    Insert(session, "LAYOUTBANCO", {"1", "341", "240"});
    transaction.Commit();
    return {CountRows(session, "BANCO"), CountRows(session, "CONTCORR"),
            CountRows(session, "LAYOUTBANCO")};
  } catch (const soci::soci_error& e) {
    throw DatabaseError(fmt::format("Não foi possível gravar os dados de demonstração em {}: {}",
                                    parsed.text, e.get_error_message()));
  }
}

}  // namespace server
