// Reads a request body into a call, a packet's rows straight into rows.
#ifndef EXTRATO_SERVER_REQUEST_READER_H_
#define EXTRATO_SERVER_REQUEST_READER_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "host/text_pieces.h"
#include "server/arguments.h"

namespace server {

class Service;

struct Call {
  // {"method": ..., "params": [...]}; a packet read into `packets` has no "rows" here.
  nlohmann::json request;
  ReadPackets packets;
};

// A request body as the pieces it arrived in.
using BodyPieces = host::TextPieces;

// Fails, with the message for HTTP 400, when the body is not JSON or nests too deep.
// The rows of an argument {"fields": [...], "rows": [...]} whose fields come first
// become rows as they are read; any other form stays JSON.
Expected<Call> ReadCall(std::string_view body);
// The same, letting go of each piece once it is read.
Expected<Call> ReadCall(BodyPieces&& body);

struct Caller;

struct HttpAnswer {
  int status = 200;
  std::string body;
  std::string method;  // as asked, for the log; empty when the body is not a request
  bool ok = false;     // the envelope's "ok"
};

// 200 and the service's envelope, or 400 and a failure envelope for a body that is
// not a request.
HttpAnswer AnswerCall(Service& service, BodyPieces body, const Caller& caller);

}  // namespace server

#endif  // EXTRATO_SERVER_REQUEST_READER_H_
