// extrato serve: the application server, until SIGTERM or SIGINT.
#include <signal.h>

#include <iostream>
#include <memory>
#include <string>

#include <fmt/format.h>

#include "apps/cli/commands.h"
#include "server/database.h"
#include "server/http_server.h"
#include "server/service.h"

namespace cli {

namespace {

struct ServeOptions {
  std::string database_uri;  // empty: the default database
  server::HttpServerOptions http;
};

// Waits in this thread for the signals that end the server; the workers, started
// after the signals are blocked here, never take them.
class StopSignals {
 public:
  StopSignals() {
    sigemptyset(&signals_);
    sigaddset(&signals_, SIGTERM);
    sigaddset(&signals_, SIGINT);
    pthread_sigmask(SIG_BLOCK, &signals_, &previous_);
  }
  ~StopSignals() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }

  int Wait() {
    int signal = 0;
    sigwait(&signals_, &signal);
    return signal;
  }

 private:
  sigset_t signals_;
  sigset_t previous_;
};

int RunServe(const ServeOptions& options) {
  StopSignals stop;
  try {
    server::ServiceOptions service_options;
    service_options.database_uri =
        options.database_uri.empty() ? server::DefaultDatabaseUri() : options.database_uri;
    service_options.pool_size = static_cast<std::size_t>(options.http.threads);
    auto service = server::Service::Open(service_options);
    server::HttpServer http(*service, options.http);
    int port = http.Start();
    std::cerr << fmt::format("extrato serve: {} em http://{}:{}{}\n",
                             server::ParseDatabaseUri(service_options.database_uri).text,
                             options.http.host, port, server::kServicePath);
    int signal = stop.Wait();
    http.Stop();
    std::cerr << fmt::format("extrato serve: encerrado ({}).\n",
                             signal == SIGINT ? "SIGINT" : "SIGTERM");
    return kExitSuccess;
  } catch (const std::exception& e) {
    std::cerr << "extrato serve: " << e.what() << "\n";
    return kExitError;
  }
}

}  // namespace

void AddServeCommand(CLI::App& app, int& status) {
  auto options = std::make_shared<ServeOptions>();
  CLI::App* serve = app.add_subcommand("serve", "Executa o servidor de aplicação (rdmImpExtBanc).");
  serve->add_option("--db", options->database_uri,
                    "Banco de dados: sqlite:CAMINHO ou postgresql://... (padrão: EXTRATO_DB ou "
                    "o arquivo na pasta de dados do usuário)");
  serve->add_option("--host", options->http.host, "Endereço em que escuta")->capture_default_str();
  serve->add_option("--port", options->http.port, "Porta em que escuta (0: qualquer livre)")
      ->capture_default_str()
      ->check(CLI::Range(0, 65535));
  serve
      ->add_option("--token", options->http.token,
                   "Exige \"Authorization: Bearer TOKEN\" em cada chamada; necessário para "
                   "escutar em outro endereço que não 127.0.0.1")
      ->envname("EXTRATO_TOKEN");
  serve->callback([options, &status] { status = RunServe(*options); });
}

}  // namespace cli
