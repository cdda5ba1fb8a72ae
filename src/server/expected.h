// The small result type of the server and its storage.
#ifndef EXTRATO_SERVER_EXPECTED_H_
#define EXTRATO_SERVER_EXPECTED_H_

#include <string>
#include <utility>
#include <variant>

namespace server {

// A failure, with the text the user is shown.
struct Failure {
  std::string message;
};

// A value, or the failure that stopped it from being made.
template <class T>
class Expected {
 public:
  Expected(T value) : state_(std::move(value)) {}
  Expected(Failure failure) : state_(std::move(failure)) {}

  bool ok() const { return std::holds_alternative<T>(state_); }
  const T& value() const& { return std::get<T>(state_); }
  T&& value() && { return std::get<T>(std::move(state_)); }
  const std::string& error() const { return std::get<Failure>(state_).message; }
  Failure failure() const { return std::get<Failure>(state_); }

 private:
  std::variant<T, Failure> state_;
};

// Success or a failure, with nothing more to carry.
using Status = Expected<std::monostate>;
inline Status Ok() {
  return std::monostate{};
}

}  // namespace server

#endif  // EXTRATO_SERVER_EXPECTED_H_
