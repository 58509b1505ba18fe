#include "platform/date_text.h"

#include <cstdio>
#include <ctime>
#include <string>

#include "platform/iso_time.h"

namespace tallyfold {

std::optional<int64_t> parseDateText(std::string_view text) {
  if (auto instant = parseIsoTime(text)) return instant;
  const std::string typed(text);
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  char separator = 0;
  int used = 0;
  const int fields = std::sscanf(typed.c_str(), "%4d-%2d-%2d%n%c%2d:%2d%n:%2d%n", &year, &month,
                                 &day, &used, &separator, &hour, &minute, &used, &second, &used);
  const bool dateOnly = fields == 3;
  const bool withTime = fields >= 6 && (separator == ' ' || separator == 'T');
  if ((!dateOnly && !withTime) || static_cast<size_t>(used) != typed.size()) return std::nullopt;
  if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60) {
    return std::nullopt;
  }
  std::tm broken{};
  broken.tm_year = year - 1900;
  broken.tm_mon = month - 1;
  broken.tm_mday = day;
  broken.tm_hour = hour;
  broken.tm_min = minute;
  broken.tm_sec = second;
  broken.tm_isdst = -1;
  const std::time_t instant = std::mktime(&broken);
  if (instant == static_cast<std::time_t>(-1) && !(year == 1969 && month == 12))
    return std::nullopt;
  return static_cast<int64_t>(instant);
}

}  // namespace tallyfold
