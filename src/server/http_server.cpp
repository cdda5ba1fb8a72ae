#include "server/http_server.h"

#include <sys/resource.h>

#include <algorithm>
#include <limits>
#include <optional>
#include <stdexcept>
#include <thread>
#include <utility>  // before Asio, whose coroutine header needs std::exchange
#include <vector>

#include <fmt/format.h>
#include <boost/asio.hpp>
#include <boost/asio/ssl.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/ssl.hpp>

#include "server/request_reader.h"
#include "server/service.h"
#include "server/users.h"

namespace server {

namespace net = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
namespace ssl = net::ssl;
using tcp = net::ip::tcp;
using TlsStream = beast::ssl_stream<beast::tcp_stream>;

namespace {

using nlohmann::json;

constexpr const char* kJson = "application/json; charset=utf-8";
// Request line and headers; a call needs a few hundred bytes.
constexpr std::uint32_t kHeaderLimit = 16 * 1024;
constexpr std::size_t kReadChunk = 64 * 1024;
// The socket work is light: the calls run on the workers.
constexpr int kIoThreads = 2;
// After a refusal the client may still be sending the body it was not asked for;
// reading a little of it first lets the refusal reach the client instead of a reset.
constexpr std::size_t kLingerBytes = 1 << 20;
constexpr std::chrono::seconds kLingerTime{2};
// Enough descriptors for a few thousand connections, where the limit allows.
constexpr rlim_t kWantedDescriptors = 16384;

// Compares without stopping at the first difference, so timing tells nothing.
bool SameToken(std::string_view given, std::string_view expected) {
  unsigned char difference = given.size() == expected.size() ? 0 : 1;
  for (std::size_t i = 0; i < given.size(); ++i) {
    difference |= static_cast<unsigned char>(given[i] ^ expected[i % expected.size()]);
  }
  return difference == 0;
}

// The token of "Bearer <token>", the scheme in any case; empty for anything else.
std::string BearerToken(beast::string_view header) {
  const beast::string_view kScheme = "bearer ";
  if (header.size() <= kScheme.size() || !beast::iequals(header.substr(0, kScheme.size()), kScheme))
    return "";
  beast::string_view token = header.substr(kScheme.size());
  while (!token.empty() && token.front() == ' ')
    token.remove_prefix(1);
  return std::string(token);
}

std::string UtcNow() {
  std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::tm utc{};
  gmtime_r(&now, &utc);
  return fmt::format("{:04}-{:02}-{:02}T{:02}:{:02}:{:02}Z", utc.tm_year + 1900, utc.tm_mon + 1,
                     utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec);
}

std::string RefusalBody(const std::string& message) {
  return json({{"ok", false}, {"error", message}}).dump();
}

void RaiseDescriptorLimit() {
  rlimit limit{};
  if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur >= kWantedDescriptors)
    return;
  limit.rlim_cur = std::min(limit.rlim_max, kWantedDescriptors);
  setrlimit(RLIMIT_NOFILE, &limit);
}

net::ip::address ListenAddress(const std::string& host) {
  boost::system::error_code error;
  auto address = net::ip::make_address(host == "localhost" ? "127.0.0.1" : host, error);
  if (error)
    throw std::invalid_argument(host);
  return address;
}

// Only TLS 1.2 and later; the key and the certificate must match.
ssl::context TlsContext(const HttpServerOptions& options) {
  ssl::context context(ssl::context::tls_server);
  context.set_options(ssl::context::default_workarounds | ssl::context::no_sslv2 |
                      ssl::context::no_sslv3 | ssl::context::no_tlsv1 | ssl::context::no_tlsv1_1 |
                      ssl::context::single_dh_use);
  try {
    context.use_certificate_chain_file(options.tls_cert_file);
  } catch (const boost::system::system_error&) {
    throw std::runtime_error(
        fmt::format("Não foi possível ler o certificado TLS em {} (esperado um arquivo PEM).",
                    options.tls_cert_file));
  }
  try {
    context.use_private_key_file(options.tls_key_file, ssl::context::pem);
  } catch (const boost::system::system_error&) {
    throw std::runtime_error(
        fmt::format("Não foi possível ler a chave TLS em {}, ou ela não é a do certificado {}.",
                    options.tls_key_file, options.tls_cert_file));
  }
  return context;
}

// What may listen where: beyond loopback, only with tokens and with TLS.
void CheckListening(const HttpServerOptions& options, Service& service) {
  if (options.tls_cert_file.empty() != options.tls_key_file.empty())
    throw std::runtime_error("Recusado: --tls-cert e --tls-key são dados juntos.");
  if (IsLoopback(options.host))
    return;
  if (options.token.empty() && !service.HasUsers()) {
    throw std::runtime_error(fmt::format(
        "Recusado: sem --token nem usuários cadastrados (extrato usuarios incluir) o servidor só "
        "escuta em 127.0.0.1, não em {}.",
        options.host));
  }
  if (options.tls_cert_file.empty() && !options.tls_at_proxy) {
    throw std::runtime_error(fmt::format(
        "Recusado: sem TLS (--tls-cert e --tls-key) o servidor só escuta em 127.0.0.1, não em "
        "{}; se um proxy reverso neste computador faz o TLS, diga-o com --tls-at-proxy.",
        options.host));
  }
}

// A request body kept in the pieces it arrives in.
struct PiecesBody {
  using value_type = BodyPieces;

  class reader {
   public:
    template <bool isRequest, class Fields>
    reader(http::header<isRequest, Fields>&, value_type& body) : body_(body) {}

    void init(const boost::optional<std::uint64_t>&, beast::error_code& error) { error = {}; }

    template <class ConstBufferSequence>
    std::size_t put(const ConstBufferSequence& buffers, beast::error_code& error) {
      std::size_t taken = 0;
      for (net::const_buffer buffer : beast::buffers_range_ref(buffers)) {
        host::AppendToPieces(body_, {static_cast<const char*>(buffer.data()), buffer.size()});
        taken += buffer.size();
      }
      error = {};
      return taken;
    }

    void finish(beast::error_code& error) { error = {}; }

   private:
    value_type& body_;
  };
};

}  // namespace

struct HttpServer::Impl {
  Impl(Service& service, HttpServerOptions options)
      : service(service),
        options(std::move(options)),
        workers(static_cast<std::size_t>(std::max(this->options.threads, 1))) {}

  // Accepts until the acceptor closes.
  void Accept();
  // Who brings this token; may read the database.
  std::optional<Caller> Authenticate(const std::string& token);
  void Log(std::string_view user, std::string_view method,
           std::chrono::steady_clock::time_point start, std::string_view outcome) const {
    if (!options.log)
      return;
    auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    options.log(fmt::format("{} usuario={} metodo={} duracao={}ms resultado={}", UtcNow(),
                            user.empty() ? "-" : user, method.empty() ? "-" : method, took.count(),
                            outcome));
  }

  Service& service;
  const HttpServerOptions options;
  std::optional<ssl::context> tls;
  net::io_context io{kIoThreads};
  tcp::acceptor acceptor{io};
  net::thread_pool workers;
  std::vector<std::thread> io_threads;
  bool started = false;
};

namespace {

// One client connection, plain or TLS: waits for each request without holding a
// thread, reads it within the request time, hands the call to a worker and writes the
// answer.
template <class Stream>
class Connection : public std::enable_shared_from_this<Connection<Stream>> {
 public:
  Connection(Stream stream, beast::flat_buffer buffer, HttpServer::Impl& server)
      : stream_(std::move(stream)), server_(server), buffer_(std::move(buffer)) {}

  void Start() {
    if constexpr (std::is_same_v<Stream, TlsStream>) {
      Tcp().expires_after(options().request_timeout);
      stream_.async_handshake(
          ssl::stream_base::server, buffer_.data(),
          [self = this->shared_from_this()](beast::error_code error, std::size_t used) {
            if (error)
              return self->Close();
            self->buffer_.consume(used);
            self->AwaitRequest();
          });
    } else {
      AwaitRequest();
    }
  }

  // Answers once and closes, without reading the request.
  void RefuseAtOnce(int status, const std::string& message) { Refuse(status, message); }

 private:
  const HttpServerOptions& options() const { return server_.options; }
  beast::tcp_stream& Tcp() { return beast::get_lowest_layer(stream_); }
  auto shared_from_this() { return std::enable_shared_from_this<Connection>::shared_from_this(); }

  // A pipelined request may already be in the buffer; otherwise the idle time runs
  // until the first byte of the next one.
  void AwaitRequest() {
    if (buffer_.size() > 0)
      return ReadHeader();
    Tcp().expires_after(options().idle_timeout);
    stream_.async_read_some(buffer_.prepare(kReadChunk),
                            [self = shared_from_this()](beast::error_code error, std::size_t n) {
                              self->buffer_.commit(n);
                              if (error)
                                return self->Close();
                              self->ReadHeader();
                            });
  }

  // From here the request has its whole time, header and body together.
  void ReadHeader() {
    parser_.emplace();
    parser_->header_limit(kHeaderLimit);
    // The size is checked once the token is (OnHeader): a stranger learns nothing.
    parser_->body_limit(std::numeric_limits<std::uint64_t>::max());
    Tcp().expires_after(options().request_timeout);
    http::async_read_header(stream_, buffer_, *parser_,
                            [self = shared_from_this()](beast::error_code error, std::size_t) {
                              self->OnHeader(error);
                            });
  }

  void OnHeader(beast::error_code error) {
    if (error)
      return RefuseBadRead(error);
    start_ = std::chrono::steady_clock::now();
    const auto& request = parser_->get();
    if (request.target() == kHealthPath && request.method() == http::verb::get)
      return AnswerHealth();
    // Reading the users takes the database: on a worker, not on a thread of the sockets.
    std::string token = BearerToken(request[http::field::authorization]);
    net::post(server_.workers, [self = shared_from_this(), token = std::move(token)] {
      try {
        std::optional<Caller> caller = self->server_.Authenticate(token);
        net::post(self->stream_.get_executor(), [self, caller = std::move(caller)]() mutable {
          self->OnAuthenticated(std::move(caller));
        });
      } catch (const std::exception&) {
        net::post(self->stream_.get_executor(), [self] {
          self->Refuse(503, "O servidor de aplicação não alcança o banco de dados.");
        });
      }
    });
  }

  void AnswerHealth() {
    keep_alive_ = parser_->get().keep_alive();
    parser_.reset();
    net::post(server_.workers, [self = shared_from_this()] {
      bool healthy = self->server_.service.Healthy();
      net::post(self->stream_.get_executor(), [self, healthy] {
        self->Write(
            healthy ? 200 : 503,
            json({{"ok", healthy},
                  {healthy ? "result" : "error",
                   healthy ? "O banco de dados responde." : "O banco de dados não responde."}})
                .dump());
      });
    });
  }

  // A refusal is only sent after the same wait, whatever its reason, so that
  // neither its text nor its time tells whether the user exists.
  void OnAuthenticated(std::optional<Caller> caller) {
    if (!caller) {
      server_.Log("", "", start_, "token recusado");
      delay_.expires_after(options().refusal_delay);
      return delay_.async_wait([self = shared_from_this()](beast::error_code) {
        self->Refuse(401, "Acesso negado: token ausente ou inválido.");
      });
    }
    caller_ = std::move(*caller);
    const auto& request = parser_->get();
    if (request.target() != kServicePath || request.method() != http::verb::post) {
      return Refuse(404, fmt::format("Caminho desconhecido: use POST {}.", kServicePath));
    }
    if (auto length = parser_->content_length(); length && *length > options().max_body)
      return RefuseBadRead(http::error::body_limit);
    parser_->body_limit(options().max_body);
    if (beast::iequals(request[http::field::expect], "100-continue")) {
      auto go_on = std::make_shared<http::response<http::empty_body>>(http::status::continue_, 11);
      return http::async_write(
          stream_, *go_on, [self = shared_from_this(), go_on](beast::error_code e, std::size_t) {
            if (e)
              return self->Close();
            self->ReadBody();
          });
    }
    ReadBody();
  }

  void ReadBody() {
    http::async_read(
        stream_, buffer_, *parser_,
        [self = shared_from_this()](beast::error_code error, std::size_t) { self->OnBody(error); });
  }

  void OnBody(beast::error_code error) {
    if (error)
      return RefuseBadRead(error);
    Tcp().expires_never();
    keep_alive_ = parser_->get().keep_alive();
    BodyPieces body = std::move(parser_->get().body());
    parser_.reset();
    net::post(server_.workers, [self = shared_from_this(), body = std::move(body)]() mutable {
      HttpAnswer answer = AnswerCall(self->server_.service, std::move(body), self->caller_);
      self->server_.Log(self->caller_.name, answer.method, self->start_,
                        answer.status != 200 ? "requisicao invalida"
                        : answer.ok          ? "ok"
                                             : "falha");
      net::post(self->stream_.get_executor(), [self, answer = std::move(answer)]() mutable {
        self->Write(answer.status, std::move(answer.body));
      });
    });
  }

  // A read that failed: a body over the limit is told so; a request that took too
  // long, broke off or is not HTTP gets no answer worth waiting for.
  void RefuseBadRead(beast::error_code error) {
    if (error == http::error::body_limit) {
      return Refuse(413,
                    fmt::format("Requisição maior que o limite de {} bytes.", options().max_body));
    }
    if (error == http::error::end_of_stream || error == beast::error::timeout ||
        error == net::error::eof || error == net::error::connection_reset ||
        error == net::error::operation_aborted) {
      return Close();
    }
    Refuse(400, "Requisição inválida: não é uma requisição HTTP.");
  }

  // Refused on what was read so far: the rest of the request is never read, so the
  // connection ends after the answer.
  void Refuse(int status, const std::string& message) {
    keep_alive_ = false;
    parser_.reset();  // and what it read of the body
    Write(status, RefusalBody(message));
  }

  void Write(int status, std::string body) {
    response_.emplace(static_cast<http::status>(status), 11);
    response_->set(http::field::content_type, kJson);
    response_->keep_alive(keep_alive_);
    response_->body() = std::move(body);
    response_->prepare_payload();
    // A client that does not read its answer cannot hold the connection either.
    Tcp().expires_after(options().request_timeout);
    http::async_write(stream_, *response_,
                      [self = shared_from_this()](beast::error_code error, std::size_t) {
                        self->response_.reset();
                        if (error)
                          return self->Close();
                        if (!self->keep_alive_)
                          return self->Linger();
                        self->AwaitRequest();
                      });
  }

  // Sends the end of the stream, then reads and drops what the client still sends,
  // for a little while, before the socket closes.
  void Linger() {
    beast::error_code ignored;
    Tcp().socket().shutdown(tcp::socket::shutdown_send, ignored);
    Tcp().expires_after(kLingerTime);
    buffer_.clear();
    stream_.async_read_some(buffer_.prepare(kReadChunk),
                            [self = shared_from_this()](beast::error_code error, std::size_t n) {
                              self->lingered_ += n;
                              if (error || self->lingered_ >= kLingerBytes)
                                return self->Close();
                              self->Linger();
                            });
  }

  void Close() {
    beast::error_code ignored;
    Tcp().socket().shutdown(tcp::socket::shutdown_both, ignored);
    Tcp().close();
  }

  Stream stream_;
  HttpServer::Impl& server_;
  beast::flat_buffer buffer_;
  net::steady_timer delay_{stream_.get_executor()};
  Caller caller_;
  std::chrono::steady_clock::time_point start_;
  std::optional<http::request_parser<PiecesBody>> parser_;
  std::optional<http::response<http::string_body>> response_;
  bool keep_alive_ = true;
  std::size_t lingered_ = 0;
};

// A new connection to a TLS server: its first bytes tell a TLS hello from a plain
// request, which is told to use HTTPS instead of being dropped without a word.
class TlsDetector : public std::enable_shared_from_this<TlsDetector> {
 public:
  TlsDetector(beast::tcp_stream stream, HttpServer::Impl& server)
      : stream_(std::move(stream)), server_(server) {}

  void Start() {
    stream_.expires_after(server_.options.request_timeout);
    beast::async_detect_ssl(stream_, buffer_,
                            [self = shared_from_this()](beast::error_code error, bool tls) {
                              if (error) {
                                beast::error_code ignored;
                                self->stream_.socket().close(ignored);
                                return;
                              }
                              self->OnDetected(tls);
                            });
  }

 private:
  void OnDetected(bool tls) {
    if (tls) {
      return std::make_shared<Connection<TlsStream>>(TlsStream(std::move(stream_), *server_.tls),
                                                     std::move(buffer_), server_)
          ->Start();
    }
    std::make_shared<Connection<beast::tcp_stream>>(std::move(stream_), std::move(buffer_), server_)
        ->RefuseAtOnce(400,
                       "Este servidor de aplicação só aceita HTTPS: use https:// no "
                       "endereço do servidor.");
  }

  beast::tcp_stream stream_;
  HttpServer::Impl& server_;
  beast::flat_buffer buffer_;
};

}  // namespace

void HttpServer::Impl::Accept() {
  acceptor.async_accept(net::make_strand(io), [this](beast::error_code error, tcp::socket socket) {
    if (error == net::error::operation_aborted || !acceptor.is_open())
      return;
    if (!error) {
      beast::error_code ignored;
      socket.set_option(tcp::no_delay(true), ignored);
      beast::tcp_stream stream(std::move(socket));
      if (tls) {
        std::make_shared<TlsDetector>(std::move(stream), *this)->Start();
      } else {
        std::make_shared<Connection<beast::tcp_stream>>(std::move(stream), beast::flat_buffer(),
                                                        *this)
            ->Start();
      }
    }
    Accept();
  });
}

std::optional<Caller> HttpServer::Impl::Authenticate(const std::string& token) {
  if (!options.token.empty() && SameToken(token, options.token))
    return Caller{kSharedTokenUser, Role::kAdministrar};
  if (!token.empty()) {
    if (auto user = service.Authenticate(token))
      return user;
  }
  if (options.token.empty() && !service.HasUsers())
    return Caller{kAnonymousUser, Role::kAdministrar};
  return std::nullopt;
}

bool IsLoopback(const std::string& host) {
  return host == "localhost" || host == "::1" || host.rfind("127.", 0) == 0;
}

HttpServer::HttpServer(Service& service, HttpServerOptions options)
    : impl_(std::make_unique<Impl>(service, std::move(options))) {}

HttpServer::~HttpServer() {
  Stop();
}

int HttpServer::Start() {
  const HttpServerOptions& options = impl_->options;
  CheckListening(options, impl_->service);
  if (!options.tls_cert_file.empty())
    impl_->tls.emplace(TlsContext(options));
  try {
    tcp::endpoint endpoint(ListenAddress(options.host),
                           static_cast<unsigned short>(std::max(options.port, 0)));
    tcp::acceptor& acceptor = impl_->acceptor;
    acceptor.open(endpoint.protocol());
    // Only a quick restart: no second server may share the port unnoticed.
    acceptor.set_option(net::socket_base::reuse_address(true));
    acceptor.bind(endpoint);
    // The system's longest queue: a burst of connections waits instead of being reset.
    acceptor.listen(net::socket_base::max_listen_connections);
  } catch (const std::exception&) {
    throw std::runtime_error(
        fmt::format("Não foi possível escutar em {}:{} (endereço inválido ou porta em uso).",
                    options.host, options.port));
  }
  RaiseDescriptorLimit();
  impl_->Accept();
  for (int i = 0; i < kIoThreads; ++i)
    impl_->io_threads.emplace_back([this] { impl_->io.run(); });
  impl_->started = true;
  return impl_->acceptor.local_endpoint().port();
}

void HttpServer::Stop() {
  if (!impl_->started)
    return;
  impl_->started = false;
  net::post(impl_->io, [this] {
    beast::error_code ignored;
    impl_->acceptor.close(ignored);
  });
  impl_->workers.join();
  impl_->io.stop();
  for (std::thread& thread : impl_->io_threads)
    thread.join();
  impl_->io_threads.clear();
}

}  // namespace server
