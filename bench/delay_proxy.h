// A TCP proxy on the loopback address that holds what passes through it for half a
// round trip each way, so that a client meets the server as if it were far away:
// every round trip takes `round_trip` longer, however much is sent.
#ifndef EXTRATO_BENCH_DELAY_PROXY_H_
#define EXTRATO_BENCH_DELAY_PROXY_H_

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace bench {

class DelayProxy {
 public:
  // Listens on 127.0.0.1, on a free port, and forwards to 127.0.0.1:target_port.
  // Throws std::runtime_error when it cannot listen.
  DelayProxy(int target_port, std::chrono::microseconds round_trip);
  // Stops listening, closes every connection and waits for its threads.
  ~DelayProxy();
  DelayProxy(const DelayProxy&) = delete;
  DelayProxy& operator=(const DelayProxy&) = delete;

  int port() const { return port_; }

 private:
  struct Link;
  void Accept();
  void Open(int client);

  int target_port_;
  std::chrono::microseconds one_way_;
  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stopping_{false};
  std::mutex mutex_;
  std::vector<std::unique_ptr<Link>> links_;
  std::thread acceptor_;
};

}  // namespace bench

#endif  // EXTRATO_BENCH_DELAY_PROXY_H_
