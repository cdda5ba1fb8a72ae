#include "host/routines.h"

#include <charconv>
#include <cmath>
#include <filesystem>
#include <system_error>

#include "host/application.h"
#include "host/config.h"
#include "host/exceptions.h"
#include "host/record_set.h"
#include "host/utf8.h"

namespace host {

namespace {

bool IsBlankOrControl(unsigned char c) {
  return c <= ' ' || c == 0x7F;
}

}  // namespace

bool EmptyString(std::string_view text) {
  for (unsigned char c : text) {
    if (!IsBlankOrControl(c))
      return false;
  }
  return true;
}

std::string AllTrim(std::string_view text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && IsBlankOrControl(static_cast<unsigned char>(text[begin])))
    ++begin;
  while (end > begin && IsBlankOrControl(static_cast<unsigned char>(text[end - 1])))
    --end;
  return std::string(text.substr(begin, end - begin));
}

std::string Right(std::string_view text, int count) {
  if (count <= 0)
    return std::string();
  return Utf8Right(text, static_cast<std::size_t>(count));
}

std::string Replicate(std::string_view text, int count) {
  std::string out;
  for (int i = 0; i < count; ++i)
    out += text;
  return out;
}

std::string Ajusta(std::string_view text, int width) {
  if (width <= 0)
    return std::string();
  std::string trimmed = AllTrim(text);
  std::size_t length = Utf8Length(trimmed);
  auto w = static_cast<std::size_t>(width);
  if (length >= w)
    return Utf8Right(trimmed, w);
  return std::string(w - length, '0') + trimmed;
}

double RoundDec(double value, int places) {
  if (!std::isfinite(value))
    return value;
  // The shortest text that reads back as the value, rounded half away from zero as
  // on paper, in place: 2.675 gives 2.68, though the nearest double is a little less.
  char buffer[400];
  buffer[0] = '0';  // takes the carry out of the first digit
  char* end =
      std::to_chars(buffer + 1, buffer + sizeof buffer, std::fabs(value), std::chars_format::fixed)
          .ptr;
  char* dot = std::find(buffer + 1, end, '.');
  std::ptrdiff_t keep = std::max(places, 0);
  if (end - dot - 1 <= keep)
    return value;  // no digit to drop
  char* cut = dot + 1 + keep;
  if (*cut >= '5') {
    char* digit = cut - 1;
    for (; *digit == '9' || *digit == '.'; --digit) {
      if (*digit == '9')
        *digit = '0';
    }
    ++*digit;
  }
  double magnitude = 0;
  std::from_chars(buffer, keep ? cut : dot, magnitude);
  return std::signbit(value) ? -magnitude : magnitude;
}

void MensErro(const std::string& text, bool) {
  Ui().ShowMessage({DialogType::kError, text, std::nullopt});
  throw EAbort();
}

Variant CheckResultServ(const Variant& answer, bool, int) {
  if (!answer.is_object() || !answer.contains("ok") || !answer["ok"].is_boolean()) {
    MensErro("Resposta inválida do servidor de aplicação.");
  }
  if (!answer["ok"].get<bool>()) {
    const Variant& error = answer.contains("error") ? answer["error"] : Variant();
    MensErro(error.is_string() ? error.get<std::string>() : "Falha no servidor de aplicação.");
  }
  return answer.contains("result") ? answer["result"] : Variant();
}

int MsgAlert(const std::string& text, DialogType type, const std::vector<std::string>& captions,
             int) {
  return Ui().Ask({type, text, captions, std::nullopt});
}

void Seta_Campo_Null(RecordSet& record_set) {
  for (const auto& def : record_set.FieldDefs()) {
    Field field = record_set.FieldByName(def.name);
    if (def.type == FieldType::kText && !field.IsNull() && EmptyString(field.AsString())) {
      field.Clear();
    }
  }
}

void ActiveShowAvi(const std::string&, int kind) {
  Ui().ShowWait(kind);
}

void DeactiveShowAvi() {
  Ui().HideWait();
}

std::string EmprProc() {
  return Config().empresa;
}

std::string WebURL() {
  return Config().web_url;
}

int WebPort() {
  return Config().web_port;
}

bool FileExists(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error);
}

// Only "/" separates folders here: "\\" and ":" are characters of a file name.
std::string ExtractFilePath(const std::string& path) {
  auto delimiter = path.find_last_of('/');
  return delimiter == std::string::npos ? std::string() : path.substr(0, delimiter + 1);
}

}  // namespace host
