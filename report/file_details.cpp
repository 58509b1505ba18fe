#include "report/file_details.h"

#include <array>
#include <climits>
#include <cmath>
#include <cstdio>
#include <optional>

#include "platform/pe_version.h"

namespace tallyfold {

namespace {

constexpr double kKilo = 1024.0;
constexpr std::string_view kNoAttributes = "    ";
constexpr std::string_view kSizeError = "0 Bytes";

// The digits of a whole number held in a double (any magnitude), without sign.
std::string wholeDigits(double whole) {
  char buffer[400];
  std::snprintf(buffer, sizeof buffer, "%.0f", std::fabs(whole));
  return buffer;
}

// Thousands grouping as the locale's grouping string describes it: each byte
// is a group size counted from the right, the last one repeating, CHAR_MAX
// ending the grouping.
std::string groupDigits(const std::string& digits, const LocaleFormat& format) {
  if (format.grouping.empty() || format.thousandsSeparator.empty()) return digits;
  std::string grouped;  // built from the right, reversed at the end
  const std::string separator(format.thousandsSeparator.rbegin(), format.thousandsSeparator.rend());
  size_t groupIndex = 0;
  int groupSize = static_cast<unsigned char>(format.grouping[0]);
  int inGroup = 0;
  for (auto digit = digits.rbegin(); digit != digits.rend(); ++digit) {
    if (groupSize > 0 && groupSize != CHAR_MAX && inGroup == groupSize) {
      grouped += separator;
      inGroup = 0;
      if (groupIndex + 1 < format.grouping.size()) {
        groupSize = static_cast<unsigned char>(format.grouping[++groupIndex]);
      }
    }
    grouped += *digit;
    ++inGroup;
  }
  return std::string(grouped.rbegin(), grouped.rend());
}

std::string signedText(double value, std::string digits) {
  return value < 0 ? "-" + digits : digits;
}

// "#,0" (grouped) or "#0" (plain) of a value that is already whole.
std::string wholeText(double whole, const LocaleFormat& format, bool grouped) {
  if (whole == 0) return "0";
  const std::string digits = wholeDigits(whole);
  return signedText(whole, grouped ? groupDigits(digits, format) : digits);
}

// "#0.00": at least one integer digit and exactly two decimals, rounded half
// away from zero. Empty when the value cannot be shown.
std::optional<std::string> twoDecimalText(double value, const LocaleFormat& format) {
  const double hundredths = std::round(value * 100.0);
  if (!std::isfinite(hundredths)) return std::nullopt;
  std::string digits = wholeDigits(hundredths);
  if (digits.size() < 3) digits.insert(0, 3 - digits.size(), '0');
  const std::string text =
      digits.substr(0, digits.size() - 2) + format.decimalPoint + digits.substr(digits.size() - 2);
  return hundredths == 0 ? text : signedText(hundredths, text);
}

std::string withUnit(const std::optional<std::string>& number, std::string_view unit) {
  if (!number) return std::string(kSizeError);
  return *number + " " + std::string(unit);
}

std::string versionText(const std::optional<std::array<uint16_t, 4>>& parts) {
  if (!parts) return {};
  std::string text;
  for (size_t i = 0; i < parts->size(); ++i) {
    if (i > 0) text += '.';
    text += std::to_string((*parts)[i]);
  }
  return text;
}

}  // namespace

bool hasVersionExtension(std::string_view path) {
  std::string last(path.size() > 4 ? path.substr(path.size() - 4) : path);
  for (char& c : last) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return std::string_view(".exe .dll .ocx").find(last) != std::string_view::npos;
}

std::string attributeText(uint32_t attributeWord) {
  switch (attributeWord) {
    case 1:
      return "R   ";
    case 2:
      return "H   ";
    case 3:
      return "RH  ";
    case 4:
      return "S   ";
    case 5:
      return "RS  ";
    case 6:
      return "HS  ";
    case 7:
      return "RHS ";
    case 32:
      return "A   ";
    case 33:
      return "RA  ";
    case 34:
      return "AH  ";
    case 35:
      return "ARH ";
    case 36:
      return "AS  ";
    // Archive, read-only and system: the letters in the order of its
    // neighbours "RA  " and "AS  ".
    case 37:
      return "RAS ";
    case 38:
      return "AHS ";
    case 39:
      return "RAHS";
    default:
      return std::string(kNoAttributes);
  }
}

std::string sizeTextAuto(double bytes, const LocaleFormat& format) {
  if (!std::isfinite(bytes)) return std::string(kSizeError);
  if (bytes >= kKilo * kKilo * kKilo) {
    return withUnit(twoDecimalText(bytes / kKilo / kKilo / kKilo, format), "GB");
  }
  if (bytes >= kKilo * kKilo) return withUnit(twoDecimalText(bytes / kKilo / kKilo, format), "MB");
  if (bytes >= kKilo) return withUnit(twoDecimalText(bytes / kKilo, format), "KB");
  return wholeText(std::trunc(bytes), format, false) + " bytes";
}

std::string sizeTextByUnit(double bytes, std::string_view unit, const LocaleFormat& format) {
  if (!std::isfinite(bytes)) return std::string(kSizeError);
  if (unit == "Bytes") return wholeText(std::trunc(bytes), format, true);
  if (unit == "KB") return wholeText(std::round(bytes / kKilo), format, false) + " KB";
  if (unit == "MB") return withUnit(twoDecimalText(bytes / kKilo / kKilo, format), "MB");
  if (unit == "GB") return withUnit(twoDecimalText(bytes / kKilo / kKilo / kKilo, format), "GB");
  return {};
}

std::string openFileVersionText(int fd) {
  return versionText(readPeFileVersion(fd));
}

}  // namespace tallyfold
