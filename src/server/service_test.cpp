#include "server/service.h"

#include <gtest/gtest.h>

#include "testing/test_database.h"

namespace server::testing {
namespace {

// Calls are checked before they reach the database, the same way on both.
class DispatchTest : public ServiceTest {};
INSTANTIATE_TEST_SUITE_P(Sqlite, DispatchTest, ::testing::Values(Backend::kSqlite), BackendName);

TEST_P(DispatchTest, BadCallsAreRefusedWithTheirReason) {
  json packet = MovementPacket(NumberedMovements(1));
  json bad_date = packet;
  bad_date["rows"][0][4] = "2024-13-01";
  struct Case {
    json request;
    std::string error;
  };
  const std::vector<Case> cases = {
      {"GetMaskCont", "Requisição inválida: esperado um objeto JSON."},
      {{{"params", json::array()}}, "Requisição inválida: falta o nome do método (\"method\")."},
      {{{"method", "GetMaskCont"}},
       "Requisição inválida: os argumentos (\"params\") devem ser uma lista."},
      {{{"method", "GetMaskCont"}, {"params", json::object()}},
       "Requisição inválida: os argumentos (\"params\") devem ser uma lista."},
      {{{"method", "GetNada"}, {"params", json::array()}}, "Método desconhecido: GetNada."},
      {{{"method", "GetMaskCont"}, {"params", json::array()}},
       "GetMaskCont espera 1 argumento e recebeu 0."},
      {{{"method", "GetPesqLanc"}, {"params", {"001"}}},
       "GetPesqLanc espera 4 argumentos e recebeu 1."},
      {{{"method", "GetMaskCont"}, {"params", {237}}},
       "Argumento 1 de GetMaskCont (código do banco): deve ser um texto."},
      {{{"method", "GetMaskCont"}, {"params", {"2370"}}},
       "Argumento 1 de GetMaskCont (código do banco): excede o tamanho máximo (3)."},
      {{{"method", "GetVerificaContCorr"},
        {"params", {"341", "%", "123456789012345678901%", "C%"}}},
       "Argumento 3 de GetVerificaContCorr (número da conta): excede o tamanho máximo (20)."},
      {{{"method", "GetExtrBanco"}, {"params", {"001", "2024-02-30"}}},
       "Argumento 2 de GetExtrBanco (data do saldo inicial): deve ser uma data no formato "
       "AAAA-MM-DD."},
      {{{"method", "GetPesqLanc"}, {"params", {"001", "DOC", "2024-03-01", "10,00"}}},
       "Argumento 4 de GetPesqLanc (valor do movimento): deve ser um número."},
      {{{"method", "GetPesqLanc"}, {"params", {"001", "DOC", "2024-03-01", 1e300}}},
       "Argumento 4 de GetPesqLanc (valor do movimento): está fora do intervalo aceito."},
      {{{"method", "GetPrxMovReal"}, {"params", {"001", 2}}},
       "Argumento 2 de GetPrxMovReal (incremento): deve ser o número inteiro 1."},
      {{{"method", "SetFebraban"}, {"params", {packet, nullptr, "S"}}},
       "Argumento 3 de SetFebraban (importar movimentos iguais): deve ser verdadeiro ou falso."},
      {{{"method", "Set_Real_Bradesco"}, {"params", {{{"rows", json::array()}}, nullptr}}},
       "Argumento 1 de Set_Real_Bradesco (movimentos): Pacote de dados inválido."},
      {{{"method", "Set_Real_Bradesco"}, {"params", {bad_date, nullptr}}},
       "Argumento 1 de Set_Real_Bradesco (movimentos): Valor inválido para um campo do tipo "
       "date: \"2024-13-01\"."},
      {{{"method", "SetExtrBanco"}, {"params", {nullptr}}},
       "Argumento 1 de SetExtrBanco (alterações do extrato): Conjunto de alterações inválido."},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(service().Handle(c.request), json({{"ok", false}, {"error", c.error}}))
        << c.request.dump();
  }
  // Sizes count characters, not bytes; a final "%" is not counted.
  EXPECT_EQ(Result("GetMaskCont", {"ÇÃO"})["rows"], json::array());
  EXPECT_EQ(Result("GetVerificaContCorr", {"341", "%", "12345678901234567890%", "C%"})["rows"],
            json::array());
}

TEST_P(DispatchTest, DatabaseFailureIsAnsweredAndServingGoesOn) {
  Exec("DROP TABLE MOVREAL");
  std::string error = Error("GetPesqLanc", {"001", "DOC", "2024-03-01", 1.0});
  EXPECT_EQ(error.rfind("Falha no banco de dados em GetPesqLanc: ", 0), 0u) << error;
  EXPECT_EQ(Result("GetMaskCont", {"237"})["rows"], json::array());
}

class ReconnectTest : public ServiceTest {};
INSTANTIATE_TEST_SUITE_P(Postgresql, ReconnectTest, ::testing::Values(Backend::kPostgresql),
                         BackendName);

TEST_P(ReconnectTest, LostConnectionsAreOpenedAgainWithoutFailingACall) {
  EXPECT_EQ(Result("GetMaskCont", {"237"})["rows"], json::array());
  // As a database restart would, end every connection of the service.
  Exec("SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE application_name = '" +
       database().schema() + "' AND pid <> pg_backend_pid()");
  for (int call = 0; call < 8; ++call)
    EXPECT_EQ(Result("GetMaskCont", {"237"})["rows"], json::array()) << "call " << call;
}

// The batched lookup keeps its query prepared on the session: a new connection must
// prepare it again, and a kept one must answer each call with that call's values.
TEST_P(ReconnectTest, KeptLookupsAnswerEachCallAndSurviveALostConnection) {
  ASSERT_EQ(Result("Set_Real_Bradesco", {MovementPacket({{.document = "DOC-1"}}), nullptr}), true);
  json found = json::array({json::array({json::array({"001", "2024-03-01", "DOC-1", 10.0})})});
  json lookup = json::array({{"001", "DOC-1", "2024-03-01", 10.0}});
  json missed = json::array({{"001", "DOC-2", "2024-03-01", 10.0}});
  EXPECT_EQ(Result("GetPesqLancLote", {lookup})["answers"], found);
  EXPECT_EQ(Result("GetPesqLancLote", {missed})["answers"], json::array({json::array()}));
  Exec("SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE application_name = '" +
       database().schema() + "' AND pid <> pg_backend_pid()");
  for (int call = 0; call < 8; ++call)
    EXPECT_EQ(Result("GetPesqLancLote", {lookup})["answers"], found) << "call " << call;
}

}  // namespace
}  // namespace server::testing
