#include "apps/cli/usage.h"

#include <fmt/format.h>

#include "apps/common/portuguese_cli.h"
#include "apps/common/version.h"

namespace cli {

namespace {

constexpr const char* kExitStatuses =
    "Status de saída:\n"
    "  0    a importação terminou com a mensagem de sucesso (ou o comando fez o que pediu)\n"
    "  1    terminou com um erro (mensagem da tela, falha do servidor, arquivo, banco de dados)\n"
    "  2    abandonada depois de um aviso, ou o arquivo já estava todo importado\n"
    "  3    terminou sem nenhuma mensagem (layout da empresa que nenhum importador lê)\n"
    "  64   uso incorreto da linha de comando\n"
    "  130  interrompida (Ctrl-C), sem gravar parte dos movimentos\n"
    "Com vários arquivos: 0 quando todos foram importados ou já estavam importados (e movidos,\n"
    "se pedido); senão o maior status entre eles (um arquivo que não pôde ser movido vale 1).";

}  // namespace

std::string Version() {
  return apps::kVersion;
}

void PresentInPortuguese(CLI::App& app) {
  apps::PresentInPortuguese(app);
  app.set_version_flag("--version", fmt::format("extrato {}", Version()),
                       "Mostra a versão e termina");
  app.footer(kExitStatuses);
}

}  // namespace cli
