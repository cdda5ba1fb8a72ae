// A loopback client that writes raw bytes, for tests and the soak: slow, greedy or
// pipelining as a case needs, where a real HTTP client would behave.
#ifndef EXTRATO_TESTING_RAW_CLIENT_H_
#define EXTRATO_TESTING_RAW_CLIENT_H_

#include <chrono>
#include <string>
#include <string_view>

namespace soak {

class RawClient {
 public:
  explicit RawClient(int port);
  ~RawClient();
  RawClient(const RawClient&) = delete;
  RawClient& operator=(const RawClient&) = delete;

  bool connected() const { return connected_; }
  bool Send(std::string_view data);
  // What arrives within `wait`, until the peer closes.
  std::string Read(std::chrono::milliseconds wait);
  // Whether the peer has already answered, without waiting.
  bool Readable();
  bool closed() const { return closed_; }

 private:
  int fd_;
  bool connected_ = false;
  bool closed_ = false;
};

// A call to the application server as raw HTTP; `headers` are whole lines.
std::string RawPost(std::string_view body, std::string_view headers = "");

}  // namespace soak

#endif  // EXTRATO_TESTING_RAW_CLIENT_H_
