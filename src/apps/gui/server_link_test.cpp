#include "apps/gui/server_link.h"

#include <QTemporaryDir>
#include <QTest>

#include "apps/gui/test_support.h"
#include "host/config.h"
#include "host/net_connection.h"
#include "server/database.h"

namespace gui {

class ServerLinkTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { saved_ = host::Config(); }
  void cleanup() { host::Config() = saved_; }

  // Nothing listens: a connection reaches the server only from inside this process.
  void EmbeddedServerHasNoPort() {
    QTemporaryDir dir;
    std::string uri = "sqlite:" + dir.filePath("extrato.db").toStdString();
    ServerLink link({uri, "", ""});
    QCOMPARE(host::Config().database_uri, uri);
    QCOMPARE(link.ServerShown(), std::string("Servidor: embutido (sem porta)"));
    QCOMPARE(link.DatabaseShown(), uri);
    host::TNetConnection connection("netTeste");
    connection.SetConnected(true);
    host::Variant answer = connection.AppServer().Call("GetPrxMovReal", {"001", 1});
    QCOMPARE(QString::fromStdString(answer.dump()),
             QStringLiteral(R"({"ok":true,"result":"0000000001"})"));
  }

  void RunningServerByAddress() {
    ServerLink link({"sqlite:/tmp/extrato-remoto.db", "http://10.1.2.3:9000", ""});
    QCOMPARE(host::Config().web_url, std::string("10.1.2.3"));
    QCOMPARE(host::Config().web_port, 9000);
    QCOMPARE(link.ServerShown(), std::string("Servidor: http://10.1.2.3:9000"));
    QCOMPARE(link.DatabaseShown(), std::string("o do servidor de aplicação"));
  }

  void BadDatabaseRefusedWithItsReason() {
    try {
      ServerLink link({"mysql://servidor/extrato", "", ""});
      QFAIL("accepted");
    } catch (const server::DatabaseError& e) {
      QCOMPARE(QString::fromUtf8(e.what()),
               QStringLiteral("Banco de dados não reconhecido: 'mysql://servidor/extrato'. Use "
                              "sqlite:CAMINHO ou postgresql://..."));
    }
    QCOMPARE(host::Config().web_url, saved_.web_url);
  }

 private:
  host::HostConfig saved_;
};

static const bool registered = testing::Register<ServerLinkTest>();

}  // namespace gui

#include "server_link_test.moc"
