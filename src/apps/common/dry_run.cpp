#include "apps/common/dry_run.h"

#include <memory>

namespace apps {

namespace {

class ReadOnlyTransport : public host::Transport {
 public:
  ReadOnlyTransport(std::unique_ptr<host::Transport> inner, HeldBack& held)
      : inner_(std::move(inner)), held_(held) {}

  host::Variant Send(const std::string& server_name, const host::Variant& request) override {
    std::string method = request.is_object() ? request.value("method", "") : "";
    if (!IsWrite(method))
      return inner_->Send(server_name, request);
    bool submission = method == "Set_Real_Bradesco" || method == "SetFebraban";
    if (submission && request["params"].is_array() && !request["params"].empty())
      held_.Add(request["params"][0]);
    return {{"ok", true}, {"result", submission ? host::Variant(true) : host::Variant()}};
  }

 private:
  std::unique_ptr<host::Transport> inner_;
  HeldBack& held_;
};

// The index of the field `name` in a packet; the field count when it has none.
std::size_t FieldIndex(const host::Variant& fields, const std::string& name) {
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (fields[i].is_array() && !fields[i].empty() && fields[i][0] == name)
      return i;
  }
  return fields.size();
}

}  // namespace

bool IsWrite(const std::string& method) {
  return method.rfind("Set", 0) == 0;
}

void HeldBack::Add(const host::Variant& movements) {
  const host::Variant& fields = movements.value("fields", host::Variant::array());
  std::size_t account = FieldIndex(fields, "CDREDUCONT");
  std::size_t code = FieldIndex(fields, "CDSEQUEXTR");
  std::size_t amount = FieldIndex(fields, "VRMOVREAL");
  std::size_t kind = FieldIndex(fields, "IDMOVREAL");
  std::lock_guard lock(mutex_);
  for (const host::Variant& row : movements.value("rows", host::Variant::array())) {
    if (row.size() < fields.size() || fields.empty() || kind == fields.size() ||
        !row[amount].is_number() || !row[account].is_string() || !row[code].is_string()) {
      continue;
    }
    Sums& sums = sums_[{row[account].get<std::string>(), row[code].get<std::string>()}];
    (row[kind] == "D" ? sums.debits : sums.credits) += row[amount].get<double>();
  }
}

HeldBack::Sums HeldBack::Of(const std::string& account, const std::string& code) const {
  std::lock_guard lock(mutex_);
  auto found = sums_.find({account, code});
  return found == sums_.end() ? Sums{} : found->second;
}

void HeldBack::Clear() {
  std::lock_guard lock(mutex_);
  sums_.clear();
}

host::TransportFactory WithoutWrites(host::TransportFactory inner, HeldBack& held) {
  return [inner = std::move(inner), &held](const std::string& host,
                                           int port) -> std::unique_ptr<host::Transport> {
    return std::make_unique<ReadOnlyTransport>(inner(host, port), held);
  };
}

}  // namespace apps
