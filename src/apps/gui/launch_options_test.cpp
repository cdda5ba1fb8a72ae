#include "apps/gui/launch_options.h"

#include <QTest>

#include "apps/common/server_address.h"
#include "apps/gui/test_support.h"
#include "host/exceptions.h"

namespace gui {

namespace {

// Runs the parser on a command line given as words.
std::optional<int> Parse(std::vector<std::string> words, LaunchOptions& options) {
  words.insert(words.begin(), "extrato-gui");
  std::vector<char*> argv;
  for (std::string& word : words)
    argv.push_back(word.data());
  return ParseLaunchOptions(static_cast<int>(argv.size()), argv.data(), options);
}

}  // namespace

class LaunchOptionsTest : public QObject {
  Q_OBJECT

 private slots:
  void ServerUrlsAccepted_data() {
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("port");
    QTest::newRow("scheme and port") << "http://127.0.0.1:8300"
                                     << "127.0.0.1" << 8300;
    QTest::newRow("no scheme") << "servidor:9000"
                               << "servidor" << 9000;
    QTest::newRow("usual port") << "http://servidor"
                                << "servidor" << 8211;
    QTest::newRow("closing slash") << "http://servidor:9000/"
                                   << "servidor" << 9000;
    QTest::newRow("https") << "https://servidor:8443"
                           << "servidor" << 8443;
    QTest::newRow("path, as the command line takes it") << "http://servidor:8211/caminho"
                                                        << "servidor" << 8211;
  }
  void ServerUrlsAccepted() {
    QFETCH(QString, url);
    QFETCH(QString, name);
    QFETCH(int, port);
    apps::ServerAddress address = apps::ServerAddressOf(url.toStdString());
    QCOMPARE(QString::fromStdString(address.host), name);
    QCOMPARE(address.port, port);
    QCOMPARE(address.tls, url.startsWith("https://"));
  }

  void ServerUrlsRefused_data() {
    QTest::addColumn<QString>("url");
    QTest::newRow("empty") << "";
    QTest::newRow("scheme only") << "http://";
    QTest::newRow("other scheme") << "ftp://servidor:8211";
    QTest::newRow("port zero") << "servidor:0";
    QTest::newRow("port too big") << "servidor:65536";
    QTest::newRow("port not a number") << "servidor:porta";
    QTest::newRow("user") << "http://eu@servidor:8211";
  }
  void ServerUrlsRefused() {
    QFETCH(QString, url);
    try {
      apps::ServerAddressOf(url.toStdString());
      QFAIL("accepted");
    } catch (const host::Exception& e) {
      QCOMPARE(QString::fromUtf8(e.what()),
               QStringLiteral("Endereço do servidor inválido: '%1'. Use http://HOST:PORTA ou "
                              "https://HOST:PORTA.")
                   .arg(url));
    }
  }

  void OptionsRead() {
    LaunchOptions options;
    QCOMPARE(Parse({"--db", "sqlite:/tmp/x.db", "--server", "https://h:1", "--ca", "/tmp/ca.pem"},
                   options),
             std::nullopt);
    QCOMPARE(options.ca_file, std::string("/tmp/ca.pem"));
    QCOMPARE(options.database_uri, std::string("sqlite:/tmp/x.db"));
    QCOMPARE(options.server_url, std::string("https://h:1"));
  }

  void UnknownOptionIsUsageError() {
    LaunchOptions options;
    QCOMPARE(Parse({"--sever", "http://h:1"}, options), std::optional<int>(64));
    QCOMPARE(Parse({"-platform", "offscreen"}, options), std::optional<int>(64));
  }
};

static const bool registered = testing::Register<LaunchOptionsTest>();

}  // namespace gui

#include "launch_options_test.moc"
