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

}  // namespace gui
