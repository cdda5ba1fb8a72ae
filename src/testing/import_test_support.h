#ifndef EXTRATO_TESTING_IMPORT_TEST_SUPPORT_H_
#define EXTRATO_TESTING_IMPORT_TEST_SUPPORT_H_

// Test support: the screen on the real application server, in process, over a
// fresh SQLite database holding the demonstration banks and accounts. The UI
// services record what was shown and asked; the transport records every remote
// call. Imports run through the confirm button, as a user runs them.

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <fmt/format.h>
#include <gtest/gtest.h>

#include "host/application.h"
#include "host/config.h"
#include "host/net_connection.h"
#include "host/query.h"
#include "host/soci.h"
#include "layouts/layouts.h"
#include "layouts/statement_writer.h"
#include "screen/imp_ext_banc.h"
#include "screen/module.h"
#include "server/database.h"
#include "server/demo_data.h"
#include "server/service.h"
#include "testing/recording_ui_services.h"
#include "testing/test_database.h"

namespace importers::testing {

// Hands each request to the service and keeps it, so that tests can assert the
// calls and their arguments in order. An answer set for a method replaces the
// service's, to inject a failure the database cannot be brought to give.
class RecordingTransport : public host::Transport {
 public:
  RecordingTransport(server::Service& service, std::vector<host::Variant>& requests,
                     const std::map<std::string, host::Variant>& answers)
      : service_(service), requests_(requests), answers_(answers) {}

  host::Variant Send(const std::string&, const host::Variant& request) override {
    requests_.push_back(request);
    auto answer = answers_.find(request.value("method", ""));
    return answer != answers_.end() ? answer->second : service_.Handle(request);
  }

 private:
  server::Service& service_;
  std::vector<host::Variant>& requests_;
  const std::map<std::string, host::Variant>& answers_;
};

class ImportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = database_.folder();
    uri_ = database_.uri();
    server::LoadDemo(uri_);
    service_ = server::Service::Open({uri_, 1, false});
    server::Connect(sql_, server::ParseDatabaseUri(uri_));
    saved_uri_ = host::Config().database_uri;
    host::Config().database_uri = uri_;
    host::GetApplication().SetUiServices(&ui_);
    host::SetTransportFactory([this](const std::string&, int) {
      return std::make_unique<RecordingTransport>(*service_, requests_, answers_);
    });
    CriaImpExtBanc();
    screen_ = frmImpExtBanc;
    ASSERT_NE(nullptr, screen_);
    // The statements these tests write by hand seldom add up; their own test asks.
    screen_->runCheckBalances = false;
  }

  void TearDown() override {
    if (boIdCriado)
      host::GetApplication().Dispatch([] { frmImpExtBanc->Close(); });
    host::SetTransportFactory(nullptr);
    host::GetApplication().SetUiServices(nullptr);
    host::dtmDBGeral().Disconnect();
    host::Config().database_uri = saved_uri_;
    sql_.close();
    service_.reset();
  }

  // Fills the screen and clicks confirm. Only the calls of this import are kept.
  host::EventOutcome Import(const std::string& bank, const std::string& path,
                            const std::string& account_type = "Circulante") {
    requests_.clear();
    ui_.Clear();
    screen_->medCdBanco.SetText(bank);
    screen_->edtNmArquivo.SetText(path);
    const auto& items = screen_->cbTipoConta.Items();
    screen_->cbTipoConta.SetItemIndex(
        static_cast<int>(std::find(items.begin(), items.end(), account_type) - items.begin()));
    return host::GetApplication().Dispatch([this] { screen_->sbtConfirma.Click(); });
  }

  // Writes the lines to a file of the test's folder, each ended by `line_end`.
  std::string WriteFile(const std::string& name, const std::vector<std::string>& lines,
                        const std::string& line_end = "\r\n") {
    std::string bytes;
    for (const std::string& line : lines)
      bytes += line + line_end;
    return WriteBytes(name, bytes);
  }

  std::string WriteBytes(const std::string& name, const std::string& bytes) {
    std::filesystem::path path = folder_ / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
  }

  // The remote methods called by the import, in order, without the remembered
  // folder that the file field stores first.
  std::vector<std::string> Calls() const {
    std::vector<std::string> calls;
    for (const host::Variant& request : requests_) {
      std::string method = request.value("method", "");
      if (method != "GetDiretorio" && method != "SetDiretorio")
        calls.push_back(method);
    }
    return calls;
  }

  // The parameters of the last call of a method.
  host::Variant ParamsOf(const std::string& method) const {
    for (auto it = requests_.rbegin(); it != requests_.rend(); ++it) {
      if (it->value("method", "") == method)
        return (*it)["params"];
    }
    return host::Variant();
  }

  void Exec(const std::string& statement) { sql_ << statement; }

  // Rows of a query, each value as text, columns joined by "|".
  std::vector<std::string> Rows(const std::string& query) {
    std::vector<std::string> rows;
    soci::rowset<soci::row> result = sql_.prepare << query;
    for (const soci::row& row : result) {
      std::string text;
      for (std::size_t i = 0; i < row.size(); ++i) {
        if (i)
          text += "|";
        text += ValueText(row, i);
      }
      rows.push_back(text);
    }
    return rows;
  }

  int Count(const std::string& table) {
    int count = 0;
    sql_ << "SELECT COUNT(*) FROM " + table, soci::into(count);
    return count;
  }

  void AddBank(const std::string& code, const std::string& cnab, const std::string& mask) {
    Exec(fmt::format("INSERT INTO BANCO VALUES ('{}', 'BANCO {}', '{}', '{}')", code, code, cnab,
                     mask));
  }

  void AddAccount(const std::string& reduced, const std::string& bank, const std::string& agency,
                  const std::string& number, const std::string& type = "C") {
    Exec(fmt::format("INSERT INTO CONTCORR VALUES ('{}', '{}', '{}', '{}', '{}', 'CONTA {}')",
                     reduced, bank, agency, number, type, reduced));
  }

  // The texts of the messages shown, in order.
  std::vector<std::string> Texts() const { return ui_.texts(); }

  host::RecordingUiServices ui_;
  std::vector<host::Variant> requests_;
  std::map<std::string, host::Variant> answers_;
  TfrmImpExtBanc* screen_ = nullptr;

 private:
  static std::string ValueText(const soci::row& row, std::size_t i) {
    if (row.get_indicator(i) == soci::i_null)
      return "null";
    switch (row.get_properties(i).get_data_type()) {
      case soci::dt_double:
        return fmt::format("{:.2f}", row.get<double>(i));
      case soci::dt_integer:
        return std::to_string(row.get<int>(i));
      case soci::dt_long_long:
        return std::to_string(row.get<long long>(i));
      default:
        return row.get<std::string>(i);
    }
  }

  server::testing::TestDatabase database_{server::testing::Backend::kSqlite};
  std::filesystem::path folder_;
  std::string uri_;
  std::string saved_uri_;
  std::unique_ptr<server::Service> service_;
  soci::session sql_;
};

// The buttons of a question, as a scripted answer chooses them.
inline constexpr int kNao = 10;
inline constexpr int kSim = 11;

// The closing and failure texts of the message table.
inline constexpr const char* kSucesso =
    "A importação de extrato bancário foi realizada com sucesso.";
inline constexpr const char* kSemDados = "Arquivo não possui dados para importação.";
inline constexpr const char* kContaNaoCadastrada = "Conta corrente não cadastrada.";
inline constexpr const char* kBancoInvalido = "Banco não encontrado no arquivo.";

inline std::string JaImportado(const std::string& account) {
  return "Arquivo já importado para a conta corrente de código reduzido " + account + ".";
}

// The row of the table of that name.
inline const Layout& LayoutNamed(std::string_view name) {
  const Layout* layout = FindLayout(name);
  if (!layout)
    throw std::logic_error(fmt::format("no layout {}", name));
  return *layout;
}

// Bradesco records of the demonstration account 001 (agency 3509, 0012566-8).
inline writer::Record BradescoRecord() {
  writer::Record record;
  record.agency = "3509";
  record.account = "0000125668";
  record.bank = "237";
  return record;
}

inline std::string BradescoBalance(char kind, const std::string& date, long long cents,
                                   char indicator = 'C') {
  writer::Record record = BradescoRecord();
  record.kind = kind;
  record.date = date;
  record.cents = cents;
  record.indicator = std::string(1, indicator);
  return writer::Line(LayoutNamed("bradesco"), record);
}

inline std::string BradescoMovement(const std::string& document, long long cents,
                                    const std::string& date = "070716", char indicator = 'C',
                                    const std::string& history = "RESGATE MERCADO ABERTO") {
  writer::Record record = BradescoRecord();
  record.date = date;
  record.cents = cents;
  record.indicator = std::string(1, indicator);
  record.document = document;
  record.history = history;
  record.category = "206";
  return writer::Line(LayoutNamed("bradesco"), record);
}

// The records between a file header and a trailer.
inline std::vector<std::string> BradescoFile(std::vector<std::string> records) {
  records.insert(records.begin(),
                 writer::FileHeader200("237", "BRADESCO S/A", "EMPRESA TESTE LTDA", "090716"));
  records.push_back(writer::Trailer200("237", 0, 0, static_cast<long long>(records.size()) + 1));
  return records;
}

}  // namespace importers::testing

#endif  // EXTRATO_TESTING_IMPORT_TEST_SUPPORT_H_
