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
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>

#include "server/request_reader.h"
#include "server/service.h"

namespace server {

namespace net = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = net::ip::tcp;

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
bool SameToken(std::string_view given, const std::string& expected) {
  unsigned char difference = given.size() == expected.size() ? 0 : 1;
  for (std::size_t i = 0; i < given.size(); ++i) {
    difference |= static_cast<unsigned char>(given[i] ^ expected[i % expected.size()]);
  }
  return difference == 0;
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

  Service& service;
  const HttpServerOptions options;
  net::io_context io{kIoThreads};
  tcp::acceptor acceptor{io};
  net::thread_pool workers;
  std::vector<std::thread> io_threads;
  bool started = false;
};

namespace {

// One client connection: waits for each request without holding a thread, reads it
// within the request time, hands the call to a worker and writes the answer.
class Connection : public std::enable_shared_from_this<Connection> {
 public:
  Connection(tcp::socket socket, HttpServer::Impl& server)
      : stream_(std::move(socket)), server_(server) {}

  void Start() {
    beast::error_code ignored;
    stream_.socket().set_option(tcp::no_delay(true), ignored);
    AwaitRequest();
  }

 private:
  const HttpServerOptions& options() const { return server_.options; }

  // A pipelined request may already be in the buffer; otherwise the idle time runs
  // until the first byte of the next one.
  void AwaitRequest() {
    if (buffer_.size() > 0)
      return ReadHeader();
    stream_.expires_after(options().idle_timeout);
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
    stream_.expires_after(options().request_timeout);
    http::async_read_header(stream_, buffer_, *parser_,
                            [self = shared_from_this()](beast::error_code error, std::size_t) {
                              self->OnHeader(error);
                            });
  }

  void OnHeader(beast::error_code error) {
    if (error)
      return RefuseBadRead(error);
    const auto& request = parser_->get();
    if (request.target() != kServicePath || request.method() != http::verb::post) {
      return Refuse(404, fmt::format("Caminho desconhecido: use POST {}.", kServicePath));
    }
    beast::string_view authorization = request[http::field::authorization];
    if (!options().token.empty() &&
        !SameToken({authorization.data(), authorization.size()}, "Bearer " + options().token)) {
      return Refuse(401, "Acesso negado: token ausente ou inválido.");
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
    stream_.expires_never();
    keep_alive_ = parser_->get().keep_alive();
    BodyPieces body = std::move(parser_->get().body());
    parser_.reset();
    net::post(server_.workers, [self = shared_from_this(), body = std::move(body)]() mutable {
      HttpAnswer answer = AnswerCall(self->server_.service, std::move(body));
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
    stream_.expires_after(options().request_timeout);
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
    stream_.socket().shutdown(tcp::socket::shutdown_send, ignored);
    stream_.expires_after(kLingerTime);
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
    stream_.socket().shutdown(tcp::socket::shutdown_both, ignored);
    stream_.close();
  }

  beast::tcp_stream stream_;
  HttpServer::Impl& server_;
  beast::flat_buffer buffer_;
  std::optional<http::request_parser<PiecesBody>> parser_;
  std::optional<http::response<http::string_body>> response_;
  bool keep_alive_ = true;
  std::size_t lingered_ = 0;
};

}  // namespace

void HttpServer::Impl::Accept() {
  acceptor.async_accept(net::make_strand(io), [this](beast::error_code error, tcp::socket socket) {
    if (error == net::error::operation_aborted || !acceptor.is_open())
      return;
    if (!error)
      std::make_shared<Connection>(std::move(socket), *this)->Start();
    Accept();
  });
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
  if (!IsLoopback(options.host) && options.token.empty()) {
    throw std::runtime_error(fmt::format(
        "Recusado: sem --token o servidor só escuta em 127.0.0.1, não em {}.", options.host));
  }
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
