#include "apps/gui/launch_options.h"

#include <charconv>
#include <string_view>

#include <fmt/format.h>
#include <CLI/CLI.hpp>

#include "apps/common/portuguese_cli.h"
#include "host/config.h"
#include "host/exceptions.h"

namespace gui {

namespace {

constexpr int kExitUsage = 64;
constexpr std::string_view kPlain = "http://";
constexpr std::string_view kTls = "https://";

[[noreturn]] void BadUrl(const std::string& url) {
  throw host::Exception(fmt::format(
      "Endereço do servidor inválido: '{}'. Use http://HOST:PORTA ou https://HOST:PORTA.", url));
}

}  // namespace

std::optional<int> ParseLaunchOptions(int argc, char** argv, LaunchOptions& options) {
  CLI::App app{
      "extrato-gui: importação de extratos bancários (arquivos CNAB de 200 e 240 "
      "colunas), na área de trabalho.",
      "extrato-gui"};
  apps::PresentInPortuguese(app);
  app.footer(
      "Opções do Qt: pelas suas variáveis de ambiente (QT_QPA_PLATFORM, QT_SCALE_FACTOR...).");
  app.add_option("--db", options.database_uri,
                 "Banco de dados: sqlite:CAMINHO ou postgresql://... (padrão: EXTRATO_DB ou o "
                 "arquivo na pasta de dados do usuário)");
  app.add_option("--server", options.server_url,
                 "Servidor de aplicação em execução (http://HOST:PORTA ou https://HOST:PORTA); "
                 "sem ele, o servidor roda dentro do programa");
  app.add_option("--ca", options.ca_file,
                 "Autoridades (arquivo PEM) que assinam o certificado de um servidor https://; "
                 "padrão: EXTRATO_CA ou as do sistema");
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    app.exit(e);
    return kExitUsage;
  }
  return std::nullopt;
}

ServerAddress ParseServerUrl(const std::string& url) {
  std::string_view rest = url;
  bool tls = rest.starts_with(kTls);
  if (tls)
    rest.remove_prefix(kTls.size());
  else if (rest.starts_with(kPlain))
    rest.remove_prefix(kPlain.size());
  if (rest.ends_with('/'))
    rest.remove_suffix(1);
  ServerAddress address{std::string(rest), host::HostConfig{}.web_port, tls};
  std::size_t colon = rest.find(':');
  if (colon != std::string_view::npos) {
    address.host = std::string(rest.substr(0, colon));
    std::string_view port = rest.substr(colon + 1);
    auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), address.port);
    if (error != std::errc() || end != port.data() + port.size())
      BadUrl(url);
  }
  bool host_ok = !address.host.empty() && address.host.find_first_of("/:@ ") == std::string::npos;
  if (!host_ok || address.port < 1 || address.port > 65535)
    BadUrl(url);
  return address;
}

}  // namespace gui
