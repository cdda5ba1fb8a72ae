#include "server/import_context.h"

#include "host/utf8.h"

namespace server {

namespace {

constexpr std::size_t kFileNameSize = 255;  // LOGIMPEXTR.NMARQUIVO
constexpr std::size_t kAccountSize = 3;

}  // namespace

Expected<std::optional<ImportContext>> ReadImportContext(const nlohmann::json& value) {
  if (value.is_null())
    return std::optional<ImportContext>();
  const char* shape =
      "o contexto da importação deve ser {\"versoes\": {conta: número}, \"arquivo\": texto, "
      "\"simulacao\": verdadeiro ou falso}.";
  if (!value.is_object())
    return Failure{shape};
  ImportContext context;
  if (auto versions = value.find("versoes"); versions != value.end()) {
    if (!versions->is_object())
      return Failure{shape};
    for (const auto& [account, version] : versions->items()) {
      if (!version.is_number_integer() || host::Utf8Length(account) > kAccountSize)
        return Failure{shape};
      context.versions[account] = version.get<long long>();
    }
  }
  if (auto file = value.find("arquivo"); file != value.end()) {
    if (!file->is_string())
      return Failure{shape};
    // The history keeps the end of a long path: the file's own name.
    context.file = file->get<std::string>();
    std::size_t length = host::Utf8Length(context.file);
    if (length > kFileNameSize)
      context.file = host::Utf8Mid(context.file, length - kFileNameSize, kFileNameSize);
  }
  if (auto trial = value.find("simulacao"); trial != value.end()) {
    if (!trial->is_boolean())
      return Failure{shape};
    context.trial = trial->get<bool>();
  }
  return std::optional<ImportContext>(std::move(context));
}

}  // namespace server
