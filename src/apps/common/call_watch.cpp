#include "apps/common/call_watch.h"

#include <algorithm>
#include <array>
#include <memory>
#include <string_view>

namespace apps {

namespace {

// The lookups whose arguments and answers the details read.
constexpr std::array<std::string_view, 4> kWatched = {"GetMaskCont", "GetContCorr",
                                                      "GetVerificaContCorr", "GetIdLayout"};

class WatchedTransport : public host::Transport {
 public:
  WatchedTransport(std::unique_ptr<host::Transport> inner, CallWatch& watch)
      : inner_(std::move(inner)), watch_(watch) {}

  host::Variant Send(const std::string& server_name, const host::Variant& request) override {
    host::Variant answer = inner_->Send(server_name, request);
    watch_.Record(request, answer);
    return answer;
  }
  // Written requests are submissions, never one of the watched lookups: they pass
  // through as written, not gathered into one document.
  host::Variant SendWritten(const std::string& server_name,
                            const host::RequestWriter& writer) override {
    return inner_->SendWritten(server_name, writer);
  }

 private:
  std::unique_ptr<host::Transport> inner_;
  CallWatch& watch_;
};

}  // namespace

host::TransportFactory CallWatch::Watching(host::TransportFactory inner) {
  return [this, inner = std::move(inner)](const std::string& host,
                                          int port) -> std::unique_ptr<host::Transport> {
    return std::make_unique<WatchedTransport>(inner(host, port), *this);
  };
}

std::optional<WatchedCall> CallWatch::Last(const std::string& method) const {
  std::lock_guard lock(mutex_);
  auto found = last_.find(method);
  if (found == last_.end())
    return std::nullopt;
  return found->second;
}

void CallWatch::Record(const host::Variant& request, const host::Variant& answer) {
  if (!request.is_object() || !request.contains("method"))
    return;
  std::string method = request["method"].get<std::string>();
  if (std::find(kWatched.begin(), kWatched.end(), method) == kWatched.end())
    return;
  std::lock_guard lock(mutex_);
  last_[method] = {request.value("params", host::Variant::array()), answer, ++calls_};
}

std::optional<WatchedCall> LastAccountLookup(const CallWatch& calls) {
  std::optional<WatchedCall> exact = calls.Last("GetContCorr");
  std::optional<WatchedCall> begins = calls.Last("GetVerificaContCorr");
  if (exact && begins)
    return exact->order > begins->order ? exact : begins;
  return exact ? exact : begins;
}

}  // namespace apps
