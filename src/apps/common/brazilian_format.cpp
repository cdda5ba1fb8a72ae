#include "apps/common/brazilian_format.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include <fmt/format.h>

namespace apps {

std::optional<host::Date> ReadDate(std::string_view text) {
  if (text.size() != 10)
    return std::nullopt;
  if (text[2] == '/' && text[5] == '/') {
    std::string iso =
        fmt::format("{}-{}-{}", text.substr(6, 4), text.substr(3, 2), text.substr(0, 2));
    return host::Date::FromIso(iso);
  }
  return host::Date::FromIso(text);
}

namespace {

std::optional<std::tm> LocalTime(std::string_view utc) {
  std::tm parts{};
  char tail = 0;
  std::string text(utc);
  if (std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &parts.tm_year, &parts.tm_mon,
                  &parts.tm_mday, &parts.tm_hour, &parts.tm_min, &parts.tm_sec, &tail) != 6) {
    return std::nullopt;
  }
  parts.tm_year -= 1900;
  parts.tm_mon -= 1;
  std::time_t moment = timegm(&parts);
  std::tm local{};
  if (moment == -1 || localtime_r(&moment, &local) == nullptr)
    return std::nullopt;
  return local;
}

}  // namespace

std::string LocalDateTime(std::string_view utc) {
  std::optional<std::tm> local = LocalTime(utc);
  if (!local)
    return std::string(utc);
  return fmt::format("{:02}/{:02}/{:04} {:02}:{:02}", local->tm_mday, local->tm_mon + 1,
                     local->tm_year + 1900, local->tm_hour, local->tm_min);
}

std::string IsoDateTime(std::string_view utc) {
  std::optional<std::tm> local = LocalTime(utc);
  if (!local)
    return std::string(utc);
  long offset = local->tm_gmtoff / 60;
  char sign = offset < 0 ? '-' : '+';
  offset = std::labs(offset);
  return fmt::format("{:04}-{:02}-{:02}T{:02}:{:02}:{:02}{}{:02}:{:02}", local->tm_year + 1900,
                     local->tm_mon + 1, local->tm_mday, local->tm_hour, local->tm_min,
                     local->tm_sec, sign, offset / 60, offset % 60);
}

}  // namespace apps
