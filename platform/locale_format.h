#pragma once
// The separators of the user's locale, read once after setlocale(LC_ALL, "").
// In the C and POSIX locales: "." decimal point, no digit grouping, "/" and ":".

#include <cstdint>
#include <string>

namespace tallyfold {

struct LocaleFormat {
  std::string decimalPoint = ".";
  std::string thousandsSeparator;  // empty: no grouping
  std::string grouping;            // localeconv()'s grouping string
  std::string dateSeparator = "/";
  std::string timeSeparator = ":";

  // The current C locale's separators (nl_langinfo, localeconv).
  static LocaleFormat current();
  // Fixed separators for tests and reproducible output.
  static LocaleFormat plain() { return {}; }
};

// Broken-down local time of a time stamp.
struct LocalTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};
LocalTime toLocalTime(int64_t secondsSinceEpoch);

}  // namespace tallyfold
