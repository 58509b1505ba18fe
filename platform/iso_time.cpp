#include "platform/iso_time.h"

#include <ctime>

namespace tallyfold {

namespace {

struct CivilDate {
  int64_t year = 1970;
  int month = 1, day = 1;
};

// Days since 1970-01-01 of a proleptic Gregorian date, and back: the
// era-based formulas, exact over the whole 64-bit range that matters here.
int64_t daysFromCivil(int64_t year, int month, int day) {
  year -= month <= 2;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const int64_t yearOfEra = year - era * 400;
  const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

CivilDate civilFromDays(int64_t days) {
  days += 719468;
  const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const int64_t dayOfEra = days - era * 146097;
  const int64_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const int64_t monthIndex = (5 * dayOfYear + 2) / 153;
  CivilDate date;
  date.day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
  date.month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
  date.year = yearOfEra + era * 400 + (date.month <= 2);
  return date;
}

void appendDigits(std::string& out, int64_t value, int width) {
  char digits[24];
  int count = 0;
  uint64_t rest = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  do {
    digits[count++] = static_cast<char>('0' + rest % 10);
    rest /= 10;
  } while (rest != 0);
  while (count < width) digits[count++] = '0';
  while (count > 0) out.push_back(digits[--count]);
}

std::string formatParts(int64_t year, int month, int day, int64_t secondOfDay,
                        int64_t offsetSeconds) {
  std::string text;
  text.reserve(26);
  if (year < 0) {
    text.push_back('-');
  } else if (year > 9999) {
    text.push_back('+');
  }
  appendDigits(text, year, 4);
  text.push_back('-');
  appendDigits(text, month, 2);
  text.push_back('-');
  appendDigits(text, day, 2);
  text.push_back('T');
  appendDigits(text, secondOfDay / 3600, 2);
  text.push_back(':');
  appendDigits(text, secondOfDay / 60 % 60, 2);
  text.push_back(':');
  appendDigits(text, secondOfDay % 60, 2);
  text.push_back(offsetSeconds < 0 ? '-' : '+');
  const int64_t offset = offsetSeconds < 0 ? -offsetSeconds : offsetSeconds;
  appendDigits(text, offset / 3600, 2);
  text.push_back(':');
  appendDigits(text, offset / 60 % 60, 2);
  return text;
}

// Reads exactly count digits at pos.
bool readDigits(std::string_view text, size_t& pos, size_t count, int64_t& value) {
  if (pos + count > text.size()) return false;
  value = 0;
  for (size_t i = 0; i < count; ++i) {
    const char c = text[pos + i];
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  pos += count;
  return true;
}

bool expect(std::string_view text, size_t& pos, char wanted) {
  if (pos >= text.size() || text[pos] != wanted) return false;
  ++pos;
  return true;
}

}  // namespace

std::string isoLocalTime(int64_t secondsSinceEpoch) {
  const time_t seconds = static_cast<time_t>(secondsSinceEpoch);
  tm parts{};
  if (localtime_r(&seconds, &parts) != nullptr) {
    const int64_t secondOfDay = parts.tm_hour * 3600 + parts.tm_min * 60 + parts.tm_sec;
    return formatParts(int64_t{parts.tm_year} + 1900, parts.tm_mon + 1, parts.tm_mday, secondOfDay,
                       parts.tm_gmtoff);
  }
  int64_t days = secondsSinceEpoch / 86400;
  int64_t secondOfDay = secondsSinceEpoch % 86400;
  if (secondOfDay < 0) {
    secondOfDay += 86400;
    --days;
  }
  const CivilDate date = civilFromDays(days);
  return formatParts(date.year, date.month, date.day, secondOfDay, 0);
}

std::optional<int64_t> parseIsoTime(std::string_view text) {
  size_t pos = 0;
  bool negativeYear = false;
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
    negativeYear = text[0] == '-';
    ++pos;
  }
  size_t yearDigits = 0;
  while (pos + yearDigits < text.size() && text[pos + yearDigits] >= '0' &&
         text[pos + yearDigits] <= '9') {
    ++yearDigits;
  }
  int64_t year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  if (yearDigits < 4 || yearDigits > 12 || !readDigits(text, pos, yearDigits, year)) return {};
  if (negativeYear) year = -year;
  if (!expect(text, pos, '-') || !readDigits(text, pos, 2, month) || !expect(text, pos, '-') ||
      !readDigits(text, pos, 2, day)) {
    return {};
  }
  if (pos >= text.size() || (text[pos] != 'T' && text[pos] != ' ')) return {};
  ++pos;
  if (!readDigits(text, pos, 2, hour) || !expect(text, pos, ':') ||
      !readDigits(text, pos, 2, minute) || !expect(text, pos, ':') ||
      !readDigits(text, pos, 2, second)) {
    return {};
  }
  if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60) {
    return {};
  }
  int64_t offset = 0;
  if (pos < text.size() && text[pos] == 'Z') {
    ++pos;
  } else {
    if (pos >= text.size() || (text[pos] != '+' && text[pos] != '-')) return {};
    const bool behind = text[pos] == '-';
    ++pos;
    int64_t offsetHours = 0, offsetMinutes = 0;
    if (!readDigits(text, pos, 2, offsetHours) || !expect(text, pos, ':') ||
        !readDigits(text, pos, 2, offsetMinutes) || offsetMinutes > 59) {
      return {};
    }
    offset = (offsetHours * 3600 + offsetMinutes * 60) * (behind ? -1 : 1);
  }
  if (pos != text.size()) return {};
  const int64_t days = daysFromCivil(year, static_cast<int>(month), static_cast<int>(day));
  return days * 86400 + hour * 3600 + minute * 60 + second - offset;
}

int64_t currentTime() {
  return static_cast<int64_t>(std::time(nullptr));
}

}  // namespace tallyfold
