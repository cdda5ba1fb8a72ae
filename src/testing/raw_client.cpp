#include "testing/raw_client.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>

#include <fmt/format.h>

namespace soak {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

RawClient::RawClient(int port) : fd_(socket(AF_INET, SOCK_STREAM, 0)) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  connected_ =
      fd_ >= 0 && connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
}

RawClient::~RawClient() {
  if (fd_ >= 0)
    close(fd_);
}

bool RawClient::Send(std::string_view data) {
  return send(fd_, data.data(), data.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(data.size());
}

std::string RawClient::Read(milliseconds wait) {
  std::string got;
  auto until = Clock::now() + wait;
  char buffer[4096];
  while (Clock::now() < until) {
    pollfd ready{fd_, POLLIN, 0};
    auto left = std::chrono::duration_cast<milliseconds>(until - Clock::now()).count();
    if (poll(&ready, 1, static_cast<int>(std::max<long long>(left, 0))) <= 0)
      break;
    ssize_t n = recv(fd_, buffer, sizeof(buffer), 0);
    if (n <= 0) {
      closed_ = true;
      break;
    }
    got.append(buffer, static_cast<std::size_t>(n));
  }
  return got;
}

bool RawClient::Readable() {
  pollfd ready{fd_, POLLIN, 0};
  return poll(&ready, 1, 0) > 0;
}

std::string RawPost(std::string_view body, std::string_view headers) {
  return fmt::format(
      "POST /QAR62700.rdmImpExtBanc HTTP/1.1\r\nHost: 127.0.0.1\r\n{}Content-Type: "
      "application/json\r\nContent-Length: {}\r\n\r\n{}",
      headers, body.size(), body);
}

}  // namespace soak
