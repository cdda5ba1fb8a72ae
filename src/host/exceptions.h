#ifndef EXTRATO_HOST_EXCEPTIONS_H_
#define EXTRATO_HOST_EXCEPTIONS_H_

#include <stdexcept>
#include <string>

namespace host {

// Every failure a handler can raise. The event dispatcher shows its text as an error.
class Exception : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The silent abort: ends the running handler without a further message, because
// whoever raised it has already told the user.
class EAbort : public Exception {
 public:
  EAbort() : Exception("Operação abortada") {}
};

// A value read from input that is not what its field needs.
class EConvertError : public Exception {
 public:
  using Exception::Exception;
};

// A file could not be opened, read or closed.
class EInOutError : public Exception {
 public:
  using Exception::Exception;
};

}  // namespace host

#endif  // EXTRATO_HOST_EXCEPTIONS_H_
