#include "report/report_settings.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <utility>
#include <vector>

#include "platform/settings_store.h"
#include "platform/text_trim.h"

namespace tallyfold {

namespace {

constexpr std::string_view kFieldsSection = "Fields";
constexpr std::string_view kSettingsSection = "Settings";
constexpr std::string_view kColSizeKey = "ColSize";
constexpr std::string_view kShowSizeInKey = "ShowSizeIn";
constexpr std::array<std::string_view, 4> kSizeUnits = {"Bytes", "KB", "MB", "GB"};

struct CheckSetting {
  std::string_view key;
  int ReportSettings::*value;
};

// In the order they are written to the store.
constexpr std::array<CheckSetting, 7> kSettingsChecks = {{
    {"FullPath", &ReportSettings::fullPath},
    {"ListInUpper", &ReportSettings::listInUpper},
    {"ListInLower", &ReportSettings::listInLower},
    {"IncludeFolderTitle", &ReportSettings::includeFolderTitle},
    {"IncludeSeparator", &ReportSettings::includeSeparator},
    {"IncludeFolderSum", &ReportSettings::includeFolderSum},
    {"IncludeFullSum", &ReportSettings::includeFullSum},
}};

constexpr std::array<CheckSetting, 23> kFieldChecks = {{
    {"Filename", &ReportSettings::fileName},
    {"Size", &ReportSettings::size},
    {"Date", &ReportSettings::date},
    {"Time", &ReportSettings::time},
    {"Attribute", &ReportSettings::attribute},
    {"Version", &ReportSettings::version},
    {"Owner", &ReportSettings::owner},
    {"CRC32", &ReportSettings::crc32},
    {"SHA256", &ReportSettings::sha256},
    {"Title", &ReportSettings::title},
    {"Artist", &ReportSettings::artist},
    {"Album", &ReportSettings::album},
    {"Year", &ReportSettings::year},
    {"Genre", &ReportSettings::genre},
    {"Comment", &ReportSettings::comment},
    {"RemoveBlankSpaces", &ReportSettings::removeBlankSpaces},
    {"Duration", &ReportSettings::duration},
    {"Bitrate", &ReportSettings::bitrate},
    {"AudioFormat", &ReportSettings::audioFormat},
    {"Dimensions", &ReportSettings::dimensions},
    {"Taken", &ReportSettings::taken},
    {"Camera", &ReportSettings::camera},
    {"Codec", &ReportSettings::codec},
}};

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

// A stored check value: a whole number, any non-zero number meaning on.
// Anything else is no value at all.
std::optional<int> checkValueOf(std::string_view text) {
  text = trimText(text, kBlankAndTabChars);
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  bool nonZero = false;
  for (const char c : text) {
    if (!isDigit(c)) return std::nullopt;
    nonZero = nonZero || c != '0';
  }
  return nonZero ? 1 : 0;
}

// The number that a text starts with (after blanks): digits with an optional
// sign and fraction, such as "45", "-2" or "37.5 wide". None without digits.
std::optional<double> leadingNumber(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  double sign = 1;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    if (text.front() == '-') sign = -1;
    text.remove_prefix(1);
  }
  double number = 0;
  bool anyDigit = false;
  size_t i = 0;
  for (; i < text.size() && isDigit(text[i]); ++i, anyDigit = true) {
    number = number * 10 + (text[i] - '0');
  }
  if (i < text.size() && text[i] == '.') {
    double scale = 0.1;
    for (++i; i < text.size() && isDigit(text[i]); ++i, anyDigit = true, scale /= 10) {
      number += (text[i] - '0') * scale;
    }
  }
  if (!anyDigit) return std::nullopt;
  return sign * number;
}

const CheckSetting* findCheck(std::string_view section, std::string_view key) {
  const auto lookIn = [key](const auto& table) -> const CheckSetting* {
    for (const CheckSetting& check : table) {
      if (equalsIgnoringCase(check.key, key)) return &check;
    }
    return nullptr;
  };
  if (equalsIgnoringCase(section, kFieldsSection)) return lookIn(kFieldChecks);
  if (equalsIgnoringCase(section, kSettingsSection)) return lookIn(kSettingsChecks);
  return nullptr;
}

template <size_t N>
void loadChecks(const SettingsStore& store, std::string_view section,
                const std::array<CheckSetting, N>& checks, ReportSettings& settings) {
  for (const CheckSetting& check : checks) {
    const std::string fallback = std::to_string(settings.*check.value);
    const std::string stored = store.get(section, check.key, fallback);
    if (const std::optional<int> value = checkValueOf(stored)) settings.*check.value = *value;
  }
}

template <size_t N>
void appendChecks(std::vector<std::pair<std::string, std::string>>& values,
                  const std::array<CheckSetting, N>& checks, const ReportSettings& settings) {
  for (const CheckSetting& check : checks) {
    values.emplace_back(std::string(check.key), std::to_string(settings.*check.value));
  }
}

bool setCheck(ReportSettings& settings, const CheckSetting& check, std::string_view value,
              std::string& error) {
  if (value != "0" && value != "1") {
    error = "The value of " + std::string(check.key) + " must be 0 or 1, not \"" +
            std::string(value) + "\".";
    return false;
  }
  const bool on = value == "1";
  if (check.value == &ReportSettings::listInUpper) {
    setListInUpper(settings, on);
  } else if (check.value == &ReportSettings::listInLower) {
    setListInLower(settings, on);
  } else {
    settings.*check.value = on ? 1 : 0;
  }
  return true;
}

// A size unit in any letter case ("mb", "Kb") as the generators name it;
// none for any other text.
std::optional<std::string_view> sizeUnitOf(std::string_view text) {
  text = trimText(text, kBlankAndTabChars);
  for (const std::string_view unit : kSizeUnits) {
    if (equalsIgnoringCase(unit, text)) return unit;
  }
  return std::nullopt;
}

// --set takes the column width only as a whole number, where the stored value
// is read leniently (see columnSize()).
bool setColSize(ReportSettings& settings, std::string_view value, std::string& error) {
  std::string_view digits = value;
  if (!digits.empty() && (digits.front() == '-' || digits.front() == '+')) digits.remove_prefix(1);
  if (digits.empty() || !std::all_of(digits.begin(), digits.end(), isDigit)) {
    error = "The value of ColSize must be a whole number, not \"" + std::string(value) + "\".";
    return false;
  }
  settings.colSize = std::string(value);
  return true;
}

bool setShowSizeIn(ReportSettings& settings, std::string_view value, std::string& error) {
  if (const std::optional<std::string_view> unit = sizeUnitOf(value)) {
    settings.showSizeIn = std::string(*unit);
    return true;
  }
  error =
      "The value of ShowSizeIn must be Bytes, KB, MB or GB, not \"" + std::string(value) + "\".";
  return false;
}

}  // namespace

int ReportSettings::columnSize() const {
  const std::optional<double> number = leadingNumber(colSize);
  if (!number) return kDefaultColumnSize;
  const double rounded = std::round(*number);
  if (rounded < kSmallestColumnSize) return kSmallestColumnSize;
  if (rounded > kLargestColumnSize) return kLargestColumnSize;
  return static_cast<int>(rounded);
}

ReportSettings loadReportSettings(const SettingsStore& store) {
  ReportSettings settings;
  loadChecks(store, kFieldsSection, kFieldChecks, settings);
  loadChecks(store, kSettingsSection, kSettingsChecks, settings);
  settings.colSize = store.get(kSettingsSection, kColSizeKey, settings.colSize);
  settings.showSizeIn = store.get(kSettingsSection, kShowSizeInKey, settings.showSizeIn);
  // A file edited by hand may say "mb": the unit as --set would take it. Any
  // other text stays as it was stored.
  if (const std::optional<std::string_view> unit = sizeUnitOf(settings.showSizeIn)) {
    settings.showSizeIn = std::string(*unit);
  }
  // Both case options stored on: lower case, read last, wins, as it would
  // when each is switched on in the order they are read.
  if (settings.listInLower) settings.listInUpper = 0;
  return settings;
}

bool saveReportSettings(SettingsStore& store, const ReportSettings& settings) {
  std::vector<std::pair<std::string, std::string>> settingsValues;
  appendChecks(settingsValues, kSettingsChecks, settings);
  settingsValues.emplace_back(std::string(kColSizeKey), settings.colSize);
  settingsValues.emplace_back(std::string(kShowSizeInKey), settings.showSizeIn);
  std::vector<std::pair<std::string, std::string>> fieldValues;
  appendChecks(fieldValues, kFieldChecks, settings);

  const bool settingsWritten = store.setMany(kSettingsSection, settingsValues);
  const bool fieldsWritten = store.setMany(kFieldsSection, fieldValues);
  return settingsWritten && fieldsWritten;
}

void setListInUpper(ReportSettings& settings, bool on) {
  settings.listInUpper = on ? 1 : 0;
  if (on) settings.listInLower = 0;
}

void setListInLower(ReportSettings& settings, bool on) {
  settings.listInLower = on ? 1 : 0;
  if (on) settings.listInUpper = 0;
}

bool setReportSetting(ReportSettings& settings, std::string_view sectionDotKey,
                      std::string_view value, std::string& error) {
  // "Settings.ColSize = 20" reads as the store reads such a line.
  sectionDotKey = trimText(sectionDotKey, kBlankAndTabChars);
  value = trimText(value, kBlankAndTabChars);
  const size_t dot = sectionDotKey.find('.');
  const std::string_view section =
      dot == std::string_view::npos ? std::string_view() : sectionDotKey.substr(0, dot);
  const std::string_view key =
      dot == std::string_view::npos ? sectionDotKey : sectionDotKey.substr(dot + 1);
  if (const CheckSetting* check = findCheck(section, key)) {
    return setCheck(settings, *check, value, error);
  }
  if (equalsIgnoringCase(section, kSettingsSection) && equalsIgnoringCase(key, kShowSizeInKey)) {
    return setShowSizeIn(settings, value, error);
  }
  if (equalsIgnoringCase(section, kSettingsSection) && equalsIgnoringCase(key, kColSizeKey)) {
    return setColSize(settings, value, error);
  }
  error = "Unknown report setting \"" + std::string(sectionDotKey) +
          "\"; settings are named Section.Key, such as Fields.CRC32 or Settings.ColSize.";
  return false;
}

}  // namespace tallyfold
