#include "apps/common/remote_reads.h"

#include "host/query.h"

namespace apps {

void ReadThroughServer(bool through_server) {
  host::dtmDBGeral().SetReader(through_server ? host::ServerQueryReader("QAR62700.rdmImpExtBanc")
                                              : nullptr);
}

std::optional<std::string> UnusedDatabaseNotice(const std::string& database_uri,
                                                const std::string& server_url) {
  if (database_uri.empty() || server_url.empty())
    return std::nullopt;
  return "Aviso: --db não é usado com --server; o servidor de aplicação lê o seu próprio banco "
         "de dados.";
}

}  // namespace apps
