#include "delay_proxy.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <condition_variable>
#include <deque>
#include <stdexcept>
#include <string>

namespace bench {

namespace {

using Clock = std::chrono::steady_clock;

int LoopbackSocket() {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0)
    throw std::runtime_error("socket");
  int on = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  return fd;
}

sockaddr_in Loopback(int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return address;
}

// One direction of a connection: what is read is written again once its time has come.
class DelayLine {
 public:
  DelayLine(int from, int to, std::chrono::microseconds delay) : from_(from), to_(to) {
    reader_ = std::thread([this, delay] { Read(delay); });
    writer_ = std::thread([this] { Write(); });
  }
  ~DelayLine() {
    reader_.join();
    writer_.join();
  }

 private:
  struct Piece {
    Clock::time_point due;
    std::string bytes;  // empty: the other end closed
  };

  void Read(std::chrono::microseconds delay) {
    std::string buffer(64 * 1024, '\0');
    for (;;) {
      ssize_t got = read(from_, buffer.data(), buffer.size());
      Push({Clock::now() + delay, got > 0 ? buffer.substr(0, static_cast<std::size_t>(got)) : ""});
      if (got <= 0)
        return;
    }
  }

  void Write() {
    for (;;) {
      Piece piece = Pop();
      std::this_thread::sleep_until(piece.due);
      if (piece.bytes.empty()) {
        shutdown(to_, SHUT_WR);
        return;
      }
      for (std::size_t sent = 0; sent < piece.bytes.size();) {
        ssize_t wrote =
            send(to_, piece.bytes.data() + sent, piece.bytes.size() - sent, MSG_NOSIGNAL);
        if (wrote <= 0) {
          shutdown(from_, SHUT_RDWR);  // the reader stops too
          Drain();
          return;
        }
        sent += static_cast<std::size_t>(wrote);
      }
    }
  }

  void Push(Piece piece) {
    std::lock_guard lock(mutex_);
    pieces_.push_back(std::move(piece));
    ready_.notify_one();
  }
  Piece Pop() {
    std::unique_lock lock(mutex_);
    ready_.wait(lock, [this] { return !pieces_.empty(); });
    Piece piece = std::move(pieces_.front());
    pieces_.pop_front();
    return piece;
  }
  // Waits for the reader's last piece, so that it never pushes to a line gone.
  void Drain() {
    while (!Pop().bytes.empty()) {
    }
  }

  int from_, to_;
  std::mutex mutex_;
  std::condition_variable ready_;
  std::deque<Piece> pieces_;
  std::thread reader_, writer_;
};

}  // namespace

struct DelayProxy::Link {
  Link(int client, int server, std::chrono::microseconds one_way)
      : client_fd(client),
        server_fd(server),
        up(std::make_unique<DelayLine>(client, server, one_way)),
        down(std::make_unique<DelayLine>(server, client, one_way)) {}
  ~Link() {
    shutdown(client_fd, SHUT_RDWR);
    shutdown(server_fd, SHUT_RDWR);
    up.reset();
    down.reset();
    close(client_fd);
    close(server_fd);
  }
  int client_fd, server_fd;
  std::unique_ptr<DelayLine> up, down;
};

DelayProxy::DelayProxy(int target_port, std::chrono::microseconds round_trip)
    : target_port_(target_port), one_way_(round_trip / 2) {
  listener_ = LoopbackSocket();
  sockaddr_in address = Loopback(0);
  socklen_t size = sizeof address;
  if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(listener_, 16) != 0 ||
      getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
    close(listener_);
    throw std::runtime_error("the delay proxy cannot listen on 127.0.0.1");
  }
  port_ = ntohs(address.sin_port);
  acceptor_ = std::thread([this] { Accept(); });
}

DelayProxy::~DelayProxy() {
  stopping_ = true;
  acceptor_.join();
  close(listener_);
  std::lock_guard lock(mutex_);
  links_.clear();
}

void DelayProxy::Accept() {
  while (!stopping_) {
    pollfd waiting{listener_, POLLIN, 0};
    if (poll(&waiting, 1, 100) <= 0)
      continue;
    int client = accept(listener_, nullptr, nullptr);
    if (client >= 0)
      Open(client);
  }
}

void DelayProxy::Open(int client) {
  int server = LoopbackSocket();
  sockaddr_in address = Loopback(target_port_);
  if (connect(server, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    close(server);
    close(client);
    return;
  }
  int on = 1;
  setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  std::lock_guard lock(mutex_);
  links_.push_back(std::make_unique<Link>(client, server, one_way_));
}

}  // namespace bench
