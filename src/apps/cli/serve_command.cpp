// extrato serve: the application server, until SIGTERM or SIGINT.
#include <signal.h>

#include <fstream>
#include <iostream>
#include <memory>
#include <mutex>
#include <string>

#include <fmt/format.h>

#include "apps/cli/command_output.h"
#include "apps/cli/commands.h"
#include "server/database.h"
#include "server/http_server.h"
#include "server/service.h"

namespace cli {

namespace {

struct ServeOptions {
  std::string database_uri;  // empty: the default database
  std::string token_file;    // empty: the token, if any, comes from --token or EXTRATO_TOKEN
  server::HttpServerOptions http;
};

// The token on the file's first line, so that it need not show in the process list.
std::string ReadToken(const std::string& path) {
  std::ifstream file(path);
  std::string token;
  if (!file || !std::getline(file, token))
    throw std::runtime_error(fmt::format("não foi possível ler o token em {}", path));
  if (!token.empty() && token.back() == '\r')
    token.pop_back();
  if (token.empty())
    throw std::runtime_error(fmt::format("o arquivo {} não tem um token na primeira linha", path));
  return token;
}

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

int RunServe(ServeOptions options, bool json) {
  StopSignals stop;
  try {
    if (!options.token_file.empty())
      options.http.token = ReadToken(options.token_file);
    server::ServiceOptions service_options;
    service_options.database_uri =
        options.database_uri.empty() ? server::DefaultDatabaseUri() : options.database_uri;
    service_options.pool_size = static_cast<std::size_t>(options.http.threads);
    auto service = server::Service::Open(service_options);
    std::mutex log_lock;
    options.http.log = [&log_lock](const std::string& line) {
      std::lock_guard<std::mutex> hold(log_lock);
      std::cerr << "extrato serve: " << line << "\n";
    };
    server::HttpServer http(*service, options.http);
    int port = http.Start();
    std::cerr << fmt::format("extrato serve: {} em {}://{}:{}{}\n",
                             server::ParseDatabaseUri(service_options.database_uri).text,
                             options.http.tls_cert_file.empty() ? "http" : "https",
                             options.http.host, port, server::kServicePath);
    int signal = stop.Wait();
    http.Stop();
    std::cerr << fmt::format("extrato serve: encerrado ({}).\n",
                             signal == SIGINT ? "SIGINT" : "SIGTERM");
    return kExitSuccess;
  } catch (const std::exception& e) {
    if (json)
      return Finish(Failed(e.what()), true, std::cout, std::cerr);
    std::cerr << "extrato serve: " << e.what() << "\n";
    return kExitError;
  }
}

}  // namespace

void AddServeCommand(CLI::App& app, RunContext& context) {
  auto options = std::make_shared<ServeOptions>();
  CLI::App* serve = app.add_subcommand(
      "serve", "Executa o servidor de aplicação, para outros computadores e programas.");
  serve
      ->add_option("--db", options->database_uri,
                   "Banco de dados: sqlite:CAMINHO ou postgresql://... (padrão: EXTRATO_DB ou "
                   "o arquivo na pasta de dados do usuário)")
      ->option_text("URI");
  serve->add_option("--host", options->http.host, "Endereço em que escuta (padrão: 127.0.0.1)")
      ->option_text("ENDERECO")
      ->envname("EXTRATO_HOST");
  serve
      ->add_option("--port", options->http.port,
                   "Porta em que escuta (padrão: 8211; 0: qualquer livre)")
      ->option_text("PORTA")
      ->envname("EXTRATO_PORT")
      ->check(CLI::Validator(
          [](std::string& text) -> std::string {
            return text.find_first_not_of("0123456789") == std::string::npos && !text.empty() &&
                           text.size() <= 5 && std::stoi(text) <= 65535
                       ? ""
                       : "esperado um número de 0 a 65535";
          },
          ""));
  serve
      ->add_option("--token", options->http.token,
                   "Exige \"Authorization: Bearer TOKEN\" em cada chamada; necessário para "
                   "escutar em outro endereço que não 127.0.0.1. Também lido de EXTRATO_TOKEN, "
                   "que não aparece na lista de processos")
      ->option_text("TOKEN")
      ->envname("EXTRATO_TOKEN");
  serve
      ->add_option("--token-file", options->token_file,
                   "Lê o token da primeira linha deste arquivo")
      ->option_text("CAMINHO")
      ->envname("EXTRATO_TOKEN_FILE");
  serve
      ->add_option("--tls-cert", options->http.tls_cert_file,
                   "Certificado do servidor (PEM, seguido da cadeia): atende só HTTPS. Com "
                   "--tls-key; necessário para escutar em outro endereço que não 127.0.0.1")
      ->option_text("ARQUIVO")
      ->envname("EXTRATO_TLS_CERT");
  serve->add_option("--tls-key", options->http.tls_key_file, "Chave privada do certificado (PEM)")
      ->option_text("ARQUIVO")
      ->envname("EXTRATO_TLS_KEY");
  serve->add_flag("--tls-at-proxy", options->http.tls_at_proxy,
                  "O TLS termina num proxy reverso neste computador: permite HTTP simples em "
                  "outro endereço que não 127.0.0.1 (ainda com --token)");
  serve->callback([options, &context] { context.status = RunServe(*options, context.json); });
}

}  // namespace cli
