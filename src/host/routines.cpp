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

// Adds one unit to the last digit of a string of decimal digits; "99" gives "100".
std::string IncrementDigits(std::string digits) {
  for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
    if (*it != '9') {
      ++*it;
      return digits;
    }
    *it = '0';
  }
  return "1" + digits;
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
  char buffer[400];
  auto result =
      std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::fixed);
  std::string text(buffer, result.ptr);
  auto dot = text.find('.');
  std::string whole = dot == std::string::npos ? text : text.substr(0, dot);
  std::string fraction = dot == std::string::npos ? std::string() : text.substr(dot + 1);
  auto keep = static_cast<std::size_t>(std::max(places, 0));
  fraction.resize(std::max(fraction.size(), keep + 1), '0');
  bool round_up = fraction[keep] >= '5';
  std::string digits = whole + fraction.substr(0, keep);
  if (round_up)
    digits = IncrementDigits(digits);
  std::string rounded =
      digits.substr(0, digits.size() - keep) + "." + digits.substr(digits.size() - keep);
  double magnitude = 0;
  std::from_chars(rounded.data(), rounded.data() + rounded.size(), magnitude);
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
