#include "platform/locale_format.h"

#include "platform/utf8_text.h"

#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

#include <cctype>
#include <climits>
#include <cstring>
#include <ctime>
#include <string_view>

namespace tallyfold {

namespace {

// The separators come in the locale's character set; the reports are UTF-8.
std::string localeTextAsUtf8(const char* text) {
  std::string bytes = text != nullptr ? text : "";
  if (isValidUtf8(bytes)) return bytes;
  iconv_t converter = iconv_open("UTF-8", nl_langinfo(CODESET));
  if (converter == reinterpret_cast<iconv_t>(-1)) return {};
  std::string out(bytes.size() * 4 + 4, '\0');
  char* in = bytes.data();
  size_t inLeft = bytes.size();
  char* outAt = out.data();
  size_t outLeft = out.size();
  size_t result = iconv(converter, &in, &inLeft, &outAt, &outLeft);
  iconv_close(converter);
  if (result == static_cast<size_t>(-1)) return {};
  out.resize(out.size() - outLeft);
  return out;
}

// The composite conversions stand for numeric fields with a fixed separator.
char compositeSeparator(char conversion) {
  switch (conversion) {
    case 'D':
      return '/';  // %m/%d/%y
    case 'F':
      return '-';  // %Y-%m-%d
    case 'T':      // %H:%M:%S
    case 'R':      // %H:%M
    case 'r':
      return ':';  // %I:%M:%S %p
    default:
      return '\0';
  }
}

// The character that separates the numeric fields of a strftime format such
// as "%d.%m.%Y" or "%H:%M:%S": the first punctuation mark that stands between
// two of the given numeric conversions. Names of days or months and the
// punctuation around them ("%A, %d.%m.%Y") do not count, nor do words (such
// as in "%H시 %M분"), which give the fallback.
std::string fieldSeparator(const char* format, std::string_view numericFields, char fallback) {
  if (format == nullptr) return std::string(1, fallback);
  bool afterNumericField = false;
  char pending = '\0';  // a mark seen since the last numeric field
  for (const char* p = format; *p != '\0'; ++p) {
    if (*p != '%') {
      const unsigned char c = static_cast<unsigned char>(*p);
      if (afterNumericField && pending == '\0' && c < 0x80 && std::ispunct(c)) pending = *p;
      continue;
    }
    // Skip flags, width and the E and O modifiers up to the conversion.
    ++p;
    while (*p != '\0' && (std::strchr("_-0^#EO", *p) != nullptr ||
                          std::isdigit(static_cast<unsigned char>(*p)))) {
      ++p;
    }
    if (*p == '\0') break;
    if (char fixed = compositeSeparator(*p); fixed != '\0') return std::string(1, fixed);
    const bool numeric = numericFields.find(*p) != std::string_view::npos;
    if (numeric && afterNumericField && pending != '\0') return std::string(1, pending);
    afterNumericField = numeric;
    pending = '\0';
  }
  return std::string(1, fallback);
}

bool groupsDigits(const char* grouping) {
  return grouping != nullptr && grouping[0] > 0 && grouping[0] != CHAR_MAX;
}

}  // namespace

LocaleFormat LocaleFormat::current() {
  LocaleFormat format;
  const lconv* numbers = localeconv();
  std::string decimal = localeTextAsUtf8(numbers->decimal_point);
  if (!decimal.empty()) format.decimalPoint = decimal;
  std::string thousands = localeTextAsUtf8(numbers->thousands_sep);
  if (!thousands.empty() && groupsDigits(numbers->grouping)) {
    format.thousandsSeparator = thousands;
    format.grouping = numbers->grouping;
  }
  format.dateSeparator = fieldSeparator(nl_langinfo(D_FMT), "deCmyYgG", '/');
  format.timeSeparator = fieldSeparator(nl_langinfo(T_FMT), "HIklMS", ':');
  return format;
}

LocalTime toLocalTime(int64_t secondsSinceEpoch) {
  // File systems with 64-bit time stamps (tmpfs, ext4, btrfs) hold times whose
  // year does not fit LocalTime's int: such a time is shown clamped, as the
  // last second of year INT_MAX or the first second of year INT_MIN.
  constexpr LocalTime kLatest{INT_MAX, 12, 31, 23, 59, 59};
  constexpr LocalTime kEarliest{INT_MIN, 1, 1, 0, 0, 0};
  const time_t seconds = static_cast<time_t>(secondsSinceEpoch);
  tm parts{};
  if (localtime_r(&seconds, &parts) == nullptr) {
    return secondsSinceEpoch < 0 ? kEarliest : kLatest;
  }
  // tm_year counts from 1900, so the year itself may already be past INT_MAX.
  const int64_t year = int64_t{parts.tm_year} + 1900;
  if (year > INT_MAX) return kLatest;
  return {static_cast<int>(year), parts.tm_mon + 1, parts.tm_mday,
          parts.tm_hour,          parts.tm_min,     parts.tm_sec};
}

}  // namespace tallyfold
