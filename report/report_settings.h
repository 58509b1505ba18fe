#pragma once
// The 32 values that shape every listing, stored in the settings store under
// the sections "Fields" and "Settings".

#include <string>
#include <string_view>

namespace tallyfold {

class SettingsStore;

// The file-name column's width when none is set.
inline constexpr int kDefaultColumnSize = 40;
inline constexpr int kSmallestColumnSize = 3;
// A typed width beyond any screen or page would make every listing line that
// long; wider columns are cut to this.
inline constexpr int kLargestColumnSize = 1000;

struct ReportSettings {
  // Section "Fields": the columns of the detailed list (0 off, 1 on).
  int removeBlankSpaces = 0;
  int title = 0;
  int artist = 0;
  int album = 0;
  int genre = 0;
  int year = 0;
  int comment = 0;
  int crc32 = 0;
  int sha256 = 0;  // after the CRC-32: 64 lower-case hex digits
  // The media columns, after the tag columns.
  int duration = 0;
  int bitrate = 0;
  int audioFormat = 0;
  int dimensions = 0;
  int taken = 0;
  int camera = 0;
  int codec = 0;
  int owner = 0;
  int version = 0;
  int time = 0;
  int attribute = 0;
  int date = 1;
  int size = 1;
  int fileName = 1;
  // Section "Settings".
  int includeFullSum = 0;
  int includeSeparator = 1;
  std::string showSizeIn = "KB";                             // "Bytes", "KB", "MB" or "GB"
  std::string colSize = std::to_string(kDefaultColumnSize);  // as typed; see columnSize()
  int listInLower = 0;
  int listInUpper = 0;
  int includeFolderTitle = 1;
  int includeFolderSum = 1;
  int fullPath = 1;

  // The file-name column width: the number in colSize, kDefaultColumnSize
  // when it holds none, at least 3.
  int columnSize() const;
  bool anyTagColumn() const { return title || artist || album || year || genre || comment; }
  bool anyMediaColumn() const {
    return duration || bitrate || audioFormat || dimensions || taken || camera || codec;
  }
};

// Reads every value, with the defaults for missing keys.
ReportSettings loadReportSettings(const SettingsStore& store);
// Writes all 32 keys; false when the store could not be written.
bool saveReportSettings(SettingsStore& store, const ReportSettings& settings);

// Turning one case option on turns the other off; turning one off leaves the
// other as it is.
void setListInUpper(ReportSettings& settings, bool on);
void setListInLower(ReportSettings& settings, bool on);

// Sets one value by "Section.Key" (as stored, key case ignored), such as
// "Fields.CRC32" or "Settings.ColSize". False, with a message in error, for an
// unknown name or a value the setting cannot hold.
bool setReportSetting(ReportSettings& settings, std::string_view sectionDotKey,
                      std::string_view value, std::string& error);

}  // namespace tallyfold
