#include "report/report_settings.h"

#include <gtest/gtest.h>

#include "platform/settings_store.h"
#include "support/temp_dir.h"

namespace tallyfold {
namespace {

using test::readFile;
using test::TempDir;

const std::string kApplication(kSettingsApplication);

std::vector<std::string> keysOf(const SettingsStore& store, std::string_view section) {
  std::vector<std::string> keys;
  for (const auto& [key, value] : store.section(section)) keys.push_back(key);
  return keys;
}

void expectDefaults(const ReportSettings& s) {
  EXPECT_EQ(s.fileName, 1);
  EXPECT_EQ(s.size, 1);
  EXPECT_EQ(s.date, 1);
  for (const int column : {s.time, s.attribute, s.version, s.owner, s.crc32, s.title, s.artist,
                           s.album, s.year, s.genre, s.comment, s.removeBlankSpaces}) {
    EXPECT_EQ(column, 0);
  }
  EXPECT_EQ(s.fullPath, 1);
  EXPECT_EQ(s.includeFolderTitle, 1);
  EXPECT_EQ(s.includeSeparator, 1);
  EXPECT_EQ(s.includeFolderSum, 1);
  EXPECT_EQ(s.includeFullSum, 0);
  EXPECT_EQ(s.listInUpper, 0);
  EXPECT_EQ(s.listInLower, 0);
  EXPECT_EQ(s.colSize, "40");
  EXPECT_EQ(s.columnSize(), 40);
  EXPECT_EQ(s.showSizeIn, "KB");
  EXPECT_FALSE(s.anyTagColumn());
}

TEST(ReportSettings, FirstRunGetsTheDefaultsAndSaveWritesAll24Keys) {
  TempDir dir;
  SettingsStore store(dir.path(), kApplication);
  const ReportSettings loaded = loadReportSettings(store);
  expectDefaults(loaded);

  ASSERT_TRUE(saveReportSettings(store, loaded));
  const SettingsStore reread(dir.path(), kApplication);
  EXPECT_EQ(keysOf(reread, "Settings"),
            (std::vector<std::string>{"FullPath", "ListInUpper", "ListInLower",
                                      "IncludeFolderTitle", "IncludeSeparator", "IncludeFolderSum",
                                      "IncludeFullSum", "ColSize", "ShowSizeIn"}));
  EXPECT_EQ(keysOf(reread, "Fields"),
            (std::vector<std::string>{"Filename", "Size", "Date", "Time", "Attribute", "Version",
                                      "Owner", "CRC32", "Title", "Artist", "Album", "Year", "Genre",
                                      "Comment", "RemoveBlankSpaces"}));
  EXPECT_EQ(reread.get("Settings", "ColSize"), "40");
  EXPECT_EQ(reread.get("Settings", "ShowSizeIn"), "KB");
  EXPECT_EQ(reread.get("Fields", "Filename"), "1");
  EXPECT_EQ(reread.get("Fields", "Owner"), "0");
  const std::string text = readFile(reread.filePath());
  EXPECT_LT(text.find("Settings"), text.find("Fields"));
  expectDefaults(loadReportSettings(reread));
}

TEST(ReportSettings, RoundTripAndKeyCase) {
  TempDir dir;
  ReportSettings chosen;
  chosen.crc32 = 1;
  chosen.title = 1;
  chosen.date = 0;
  chosen.fullPath = 0;
  chosen.includeFullSum = 1;
  chosen.listInUpper = 1;
  chosen.colSize = "65";
  chosen.showSizeIn = "Bytes";
  {
    SettingsStore store(dir.path(), kApplication);
    ASSERT_TRUE(saveReportSettings(store, chosen));
  }
  const SettingsStore store(dir.path(), kApplication);
  EXPECT_EQ(store.get("Fields", "Crc32"), "1");
  EXPECT_EQ(store.get("fields", "crc32"), "1");
  const ReportSettings loaded = loadReportSettings(store);
  EXPECT_EQ(loaded.crc32, 1);
  EXPECT_EQ(loaded.title, 1);
  EXPECT_TRUE(loaded.anyTagColumn());
  EXPECT_EQ(loaded.date, 0);
  EXPECT_EQ(loaded.fullPath, 0);
  EXPECT_EQ(loaded.includeFullSum, 1);
  EXPECT_EQ(loaded.listInUpper, 1);
  EXPECT_EQ(loaded.listInLower, 0);
  EXPECT_EQ(loaded.columnSize(), 65);
  EXPECT_EQ(loaded.showSizeIn, "Bytes");
}

TEST(ReportSettings, StoredValuesThatAreNoWholeNumberFallBackToTheirDefaults) {
  TempDir dir;
  SettingsStore store(dir.path(), kApplication);
  store.set("Fields", "Date", "yes");
  store.set("Fields", "Size", "0.5");
  store.set("Fields", "Filename", "");
  store.set("Fields", "Title", "2");
  store.set("Fields", "Owner", "-1");
  store.set("Fields", "Time", " 1 ");
  store.set("Fields", "Version", "1x");
  store.set("Settings", "IncludeSeparator", "0");
  store.set("Settings", "ShowSizeIn", "Furlongs");
  store.set("Settings", "ColSize", "wide");
  const ReportSettings loaded = loadReportSettings(store);
  EXPECT_EQ(loaded.date, 1);
  EXPECT_EQ(loaded.size, 1);
  EXPECT_EQ(loaded.fileName, 1);
  EXPECT_EQ(loaded.title, 1);
  EXPECT_EQ(loaded.owner, 1);
  EXPECT_EQ(loaded.time, 1);
  EXPECT_EQ(loaded.version, 0);
  EXPECT_EQ(loaded.includeSeparator, 0);
  EXPECT_EQ(loaded.showSizeIn, "Furlongs");  // shows no size column text
  EXPECT_EQ(loaded.colSize, "wide");
  EXPECT_EQ(loaded.columnSize(), 40);
}

TEST(ReportSettings, BothCaseOptionsStoredOnLeaveLowerCase) {
  TempDir dir;
  SettingsStore store(dir.path(), kApplication);
  store.set("Settings", "ListInUpper", "1");
  store.set("Settings", "ListInLower", "1");
  const ReportSettings loaded = loadReportSettings(store);
  EXPECT_EQ(loaded.listInUpper, 0);
  EXPECT_EQ(loaded.listInLower, 1);
}

TEST(ReportSettings, ColumnSizeFromTypedText) {
  ReportSettings s;
  const std::pair<std::string_view, int> cases[] = {
      {"30", 30},
      {"80", 80},
      {" 55", 55},
      {"55 chars", 55},
      {"37.5", 38},
      {"37.4", 37},
      {"2", 3},
      {"0", 3},
      {"-10", 3},
      {"", 40},
      {"abc", 40},
      {".", 40},
      {"+45", 45},
      {"50e1", 50},
      {"2.6", 3},
      {"99999999", 1000},
      {std::string_view("123456789012345678901234567890"), 1000}};
  for (const auto& [text, width] : cases) {
    s.colSize = std::string(text);
    EXPECT_EQ(s.columnSize(), width) << text;
  }
}

TEST(ReportSettings, CaseOptionsExcludeEachOther) {
  ReportSettings s;
  setListInLower(s, true);
  setListInUpper(s, true);
  EXPECT_EQ(s.listInUpper, 1);
  EXPECT_EQ(s.listInLower, 0);
  setListInUpper(s, false);
  EXPECT_EQ(s.listInUpper, 0);
  EXPECT_EQ(s.listInLower, 0);
  setListInLower(s, true);
  setListInUpper(s, false);
  EXPECT_EQ(s.listInLower, 1);

  std::string error;
  ASSERT_TRUE(setReportSetting(s, "Settings.ListInUpper", "1", error));
  EXPECT_EQ(s.listInUpper, 1);
  EXPECT_EQ(s.listInLower, 0);
  ASSERT_TRUE(setReportSetting(s, "settings.listinlower", "1", error));
  EXPECT_EQ(s.listInUpper, 0);
  EXPECT_EQ(s.listInLower, 1);
  ASSERT_TRUE(setReportSetting(s, "Settings.ListInUpper", "0", error));
  EXPECT_EQ(s.listInLower, 1);
}

TEST(ReportSettings, SetBySectionAndKey) {
  ReportSettings s;
  std::string error;
  EXPECT_TRUE(setReportSetting(s, "Fields.CRC32", "1", error));
  EXPECT_TRUE(setReportSetting(s, "fields.Filename", "0", error));
  EXPECT_TRUE(setReportSetting(s, "SETTINGS.FULLPATH", "0", error));
  EXPECT_TRUE(setReportSetting(s, "Settings.ShowSizeIn", "mb", error));
  EXPECT_TRUE(setReportSetting(s, "Settings.ColSize", "not a number", error));
  EXPECT_EQ(s.crc32, 1);
  EXPECT_EQ(s.fileName, 0);
  EXPECT_EQ(s.fullPath, 0);
  EXPECT_EQ(s.showSizeIn, "MB");
  EXPECT_EQ(s.columnSize(), 40);
  EXPECT_TRUE(error.empty());

  const ReportSettings before = s;
  const std::pair<std::string_view, std::string_view> refused[] = {{"Fields.Colour", "1"},
                                                                   {"Nowhere.Title", "1"},
                                                                   {"Title", "1"},
                                                                   {"Settings.CRC32", "1"},
                                                                   {"Fields.ColSize", "40"},
                                                                   {"Fields.Title", "2"},
                                                                   {"Fields.Title", "yes"},
                                                                   {"Fields.Title", ""},
                                                                   {"Settings.ShowSizeIn", "TB"},
                                                                   {"Settings.ShowSizeIn", ""},
                                                                   {"", ""},
                                                                   {"Fields.", "1"}};
  for (const auto& [name, value] : refused) {
    error.clear();
    EXPECT_FALSE(setReportSetting(s, name, value, error)) << name << "=" << value;
    EXPECT_FALSE(error.empty()) << name;
  }
  EXPECT_EQ(s.title, before.title);
  EXPECT_EQ(s.showSizeIn, before.showSizeIn);
  EXPECT_EQ(s.colSize, before.colSize);
}

TEST(ReportSettings, SaveIntoAnUnwritablePlaceReportsFalse) {
  TempDir dir;
  const std::string file = dir.writeFile("plain");
  SettingsStore store(file + "/config", kApplication);
  EXPECT_FALSE(saveReportSettings(store, ReportSettings{}));
}

}  // namespace
}  // namespace tallyfold
