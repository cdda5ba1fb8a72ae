#include "server/http_server.h"

#include <algorithm>
#include <chrono>
#include <stdexcept>

#include <fmt/format.h>
#include <httplib.h>
#include <nlohmann/json.hpp>

#include "server/service.h"

namespace server {

namespace {

using nlohmann::json;

constexpr const char* kJson = "application/json; charset=utf-8";
// A client may keep its connection for a whole import: one call per movement.
constexpr std::size_t kKeepAliveCalls = 1'000'000;
// A call nests five levels deep (call, arguments, packet, rows, row). Far deeper input
// is refused before anything walks it recursively.
constexpr int kMaxDepth = 32;

// The request, or a discarded value when the body is not JSON or nests too deep.
json ParseRequest(const std::string& body, bool& too_deep) {
  too_deep = false;
  return json::parse(
      body,
      [&too_deep](int depth, json::parse_event_t, json&) {
        if (depth > kMaxDepth)
          too_deep = true;
        return !too_deep;
      },
      false);
}

void Answer(httplib::Response& response, int status, const json& body) {
  response.status = status;
  // Text from the database that is not valid UTF-8 must not fail the answer.
  response.set_content(body.dump(-1, ' ', false, json::error_handler_t::replace), kJson);
}

void Refuse(httplib::Response& response, int status, const std::string& message) {
  Answer(response, status, {{"ok", false}, {"error", message}});
}

// Compares without stopping at the first difference, so timing tells nothing.
bool SameToken(const std::string& given, const std::string& expected) {
  unsigned char difference = given.size() == expected.size() ? 0 : 1;
  for (std::size_t i = 0; i < given.size(); ++i) {
    difference |= static_cast<unsigned char>(given[i] ^ expected[i % expected.size()]);
  }
  return difference == 0;
}

std::string StatusMessage(int status, std::size_t max_body) {
  switch (status) {
    case 404:
      return fmt::format("Caminho desconhecido: use POST {}.", kServicePath);
    case 413:
      return fmt::format("Requisição maior que o limite de {} bytes.", max_body);
    default:
      return fmt::format("Requisição recusada (HTTP {}).", status);
  }
}

}  // namespace

bool IsLoopback(const std::string& host) {
  return host == "localhost" || host == "::1" || host.rfind("127.", 0) == 0;
}

HttpServer::HttpServer(Service& service, HttpServerOptions options)
    : service_(service),
      options_(std::move(options)),
      server_(std::make_unique<httplib::Server>()) {
  Route();
}

HttpServer::~HttpServer() {
  Stop();
}

void HttpServer::Route() {
  int threads = std::max(options_.threads, 1);
  server_->new_task_queue = [threads] { return new httplib::ThreadPool(threads); };
  server_->set_tcp_nodelay(true);
  // The library's default, SO_REUSEPORT, would let a second server share the port
  // unnoticed; SO_REUSEADDR only allows a quick restart.
  server_->set_socket_options([](socket_t sock) {
    int yes = 1;
    setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof(yes));
  });
  server_->set_payload_max_length(options_.max_body);
  server_->set_keep_alive_max_count(kKeepAliveCalls);
  std::string route = kServicePath;
  route.replace(route.find('.'), 1, "\\.");  // a pattern, where "." is any character
  server_->Post(route, [this](const httplib::Request& request, httplib::Response& response) {
    if (!options_.token.empty() &&
        !SameToken(request.get_header_value("Authorization"), "Bearer " + options_.token)) {
      return Refuse(response, 401, "Acesso negado: token ausente ou inválido.");
    }
    bool too_deep = false;
    json call = ParseRequest(request.body, too_deep);
    if (too_deep)
      return Refuse(response, 400, "Requisição inválida: JSON aninhado demais.");
    if (call.is_discarded())
      return Refuse(response, 400, "Requisição inválida: JSON malformado.");
    if (auto error = RequestShapeError(call))
      return Refuse(response, 400, *error);
    Answer(response, 200, service_.Handle(call));
  });
  server_->set_error_handler([this](const httplib::Request&, httplib::Response& response) {
    if (response.body.empty()) {
      Refuse(response, response.status, StatusMessage(response.status, options_.max_body));
    }
  });
  server_->set_exception_handler(
      [](const httplib::Request&, httplib::Response& response, std::exception_ptr) {
        Refuse(response, 500, "Erro interno do servidor de aplicação.");
      });
}

int HttpServer::Start() {
  const std::string& host = options_.host;
  if (!IsLoopback(host) && options_.token.empty()) {
    throw std::runtime_error(
        fmt::format("Recusado: sem --token o servidor só escuta em 127.0.0.1, não em {}.", host));
  }
  int port = options_.port == 0 ? server_->bind_to_any_port(host)
                                : (server_->bind_to_port(host, options_.port) ? options_.port : -1);
  if (port <= 0) {
    throw std::runtime_error(
        fmt::format("Não foi possível escutar em {}:{} (endereço inválido ou porta em uso).", host,
                    options_.port));
  }
  listener_ = std::thread([this] { server_->listen_after_bind(); });
  // Stop() only takes effect once the listener runs.
  while (!server_->is_running())
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return port;
}

void HttpServer::Stop() {
  if (!listener_.joinable())
    return;
  server_->stop();
  listener_.join();
}

}  // namespace server
