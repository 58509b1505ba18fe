#include "report/report_settings.h"

#include <gtest/gtest.h>

#include "platform/settings_store.h"
#include "support/temp_dir.h"

namespace tallyfold {
namespace {

using test::readFile;
using test::TempDir;

const std::string kApplication(kSettingsApplication);

const std::string kDefaultsFile =
    "[Settings]\nFullPath=1\nListInUpper=0\nListInLower=0\nIncludeFolderTitle=1\n"
    "IncludeSeparator=1\nIncludeFolderSum=1\nIncludeFullSum=0\nColSize=40\nShowSizeIn=KB\n"
    "\n[Fields]\nFilename=1\nSize=1\nDate=1\nTime=0\nAttribute=0\nVersion=0\nOwner=0\nCRC32=0\n"
    "SHA256=0\nTitle=0\nArtist=0\nAlbum=0\nYear=0\nGenre=0\nComment=0\nRemoveBlankSpaces=0\n"
    "Duration=0\nBitrate=0\nAudioFormat=0\nDimensions=0\nTaken=0\nCamera=0\nCodec=0\n";

// The store file that holds the settings: compared whole, it compares all 32
// values.
std::string storedText(const ReportSettings& settings) {
  TempDir dir;
  SettingsStore store(dir.path(), kApplication);
  EXPECT_TRUE(saveReportSettings(store, settings));
  return readFile(store.filePath());
}

TEST(ReportSettings, FirstRunGetsTheDefaultsAndSaveWritesAllKeys) {
  TempDir dir;
  SettingsStore store(dir.path(), kApplication);
  const ReportSettings loaded = loadReportSettings(store);
  EXPECT_EQ(loaded.columnSize(), 40);
  EXPECT_FALSE(loaded.anyTagColumn());
  EXPECT_FALSE(loaded.anyMediaColumn());
  ASSERT_TRUE(saveReportSettings(store, loaded));
  EXPECT_EQ(readFile(store.filePath()), kDefaultsFile);
}

TEST(ReportSettings, RoundTripAndKeyCase) {
  TempDir dir;
  ReportSettings chosen;
  chosen.crc32 = chosen.title = chosen.includeFullSum = chosen.listInUpper = 1;
  chosen.date = chosen.fullPath = 0;
  chosen.colSize = "65";
  chosen.showSizeIn = "Bytes";
  {
    SettingsStore store(dir.path(), kApplication);
    ASSERT_TRUE(saveReportSettings(store, chosen));
  }
  const SettingsStore store(dir.path(), kApplication);
  EXPECT_EQ(store.get("fields", "crc32"), "1");
  const ReportSettings loaded = loadReportSettings(store);
  EXPECT_EQ(storedText(loaded), storedText(chosen));
  EXPECT_TRUE(loaded.anyTagColumn());
  EXPECT_EQ(loaded.columnSize(), 65);
}

TEST(ReportSettings, StoredValuesThatAreNoWholeNumberFallBackToTheirDefaults) {
  TempDir dir;
  SettingsStore store(dir.path(), kApplication);
  const char* stored[][3] = {{"Fields", "Date", "yes"},
                             {"Fields", "Size", "0.5"},
                             {"Fields", "Filename", ""},
                             {"Fields", "Title", "2"},
                             {"Fields", "Owner", "-1"},
                             {"Fields", "Time", " 1 "},
                             {"Fields", "Version", "1x"},
                             {"Settings", "IncludeSeparator", "0"},
                             {"Settings", "ShowSizeIn", "Furlongs"},
                             {"Settings", "ColSize", "wide"},
                             {"Settings", "ListInUpper", "1"},
                             {"Settings", "ListInLower", "1"}};
  for (const auto& [section, key, value] : stored) store.set(section, key, value);
  ReportSettings expected;
  expected.title = expected.owner = expected.time = 1;
  expected.includeSeparator = 0;
  expected.showSizeIn = "Furlongs";  // shows no size column text
  expected.colSize = "wide";
  expected.listInLower = 1;  // both case options on leave lower case
  const ReportSettings loaded = loadReportSettings(store);
  EXPECT_EQ(storedText(loaded), storedText(expected));
  EXPECT_EQ(loaded.columnSize(), 40);
}

TEST(ReportSettings, HandEditedFileReadsAsSetWouldTakeIt) {
  TempDir dir;
  dir.writeFile("Corvane - Tallyfold.ini",
                "[Settings]\nColSize = 20\nShowSizeIn=mb\n[Fields]\n Time = 1\n");
  SettingsStore store(dir.path(), kApplication);
  const ReportSettings loaded = loadReportSettings(store);
  EXPECT_EQ(loaded.colSize, "20");
  EXPECT_EQ(loaded.columnSize(), 20);
  EXPECT_EQ(loaded.showSizeIn, "MB");
  EXPECT_EQ(loaded.time, 1);
  for (const char* unit : {"bytes", "Kb", "gB"}) {
    ASSERT_TRUE(store.set("Settings", "ShowSizeIn", unit));
    ReportSettings viaSet;
    std::string error;
    ASSERT_TRUE(setReportSetting(viaSet, "Settings.ShowSizeIn", unit, error));
    EXPECT_EQ(loadReportSettings(store).showSizeIn, viaSet.showSizeIn) << unit;
  }
}

TEST(ReportSettings, ColumnSizeFromTypedText) {
  ReportSettings s;
  const std::pair<std::string_view, int> cases[] = {
      {"30", 30},   {" 55", 55},        {"55 chars", 55},
      {"37.5", 38}, {"37.4", 37},       {"2.6", 3},
      {"0", 3},     {"-10", 3},         {"", 40},
      {"abc", 40},  {".", 40},          {"+45", 45},
      {"50e1", 50}, {"99999999", 1000}, {"123456789012345678901234567890", 1000}};
  for (const auto& [text, width] : cases) {
    s.colSize = std::string(text);
    EXPECT_EQ(s.columnSize(), width) << text;
  }
}

TEST(ReportSettings, CaseOptionsExcludeEachOther) {
  ReportSettings s;
  auto upperLower = [&s] { return std::pair(s.listInUpper, s.listInLower); };
  setListInLower(s, true);
  setListInUpper(s, true);
  EXPECT_EQ(upperLower(), std::pair(1, 0));
  setListInUpper(s, false);
  EXPECT_EQ(upperLower(), std::pair(0, 0));
  setListInLower(s, true);
  setListInUpper(s, false);
  EXPECT_EQ(upperLower(), std::pair(0, 1));

  std::string error;
  ASSERT_TRUE(setReportSetting(s, "Settings.ListInUpper", "1", error));
  EXPECT_EQ(upperLower(), std::pair(1, 0));
  ASSERT_TRUE(setReportSetting(s, "settings.listinlower", "1", error));
  EXPECT_EQ(upperLower(), std::pair(0, 1));
  ASSERT_TRUE(setReportSetting(s, "Settings.ListInUpper", "0", error));
  EXPECT_EQ(upperLower(), std::pair(0, 1));
}

TEST(ReportSettings, SetBySectionAndKey) {
  ReportSettings s;
  std::string error;
  EXPECT_TRUE(setReportSetting(s, "Fields.CRC32", "1", error));
  EXPECT_TRUE(setReportSetting(s, "fields.Filename", "0", error));
  EXPECT_TRUE(setReportSetting(s, "SETTINGS.FULLPATH", "0", error));
  EXPECT_TRUE(setReportSetting(s, "Settings.ShowSizeIn", "mb", error));
  EXPECT_TRUE(setReportSetting(s, " Settings.ColSize ", " 25 ", error));
  EXPECT_TRUE(error.empty());
  ReportSettings expected;
  expected.crc32 = 1;
  expected.fileName = expected.fullPath = 0;
  expected.showSizeIn = "MB";
  expected.colSize = "25";
  EXPECT_EQ(storedText(s), storedText(expected));

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
                                                                   {"Fields.", "1"},
                                                                   {"Settings.ColSize", "abc"},
                                                                   {"Settings.ColSize", "55 wide"},
                                                                   {"Settings.ColSize", "37.5"},
                                                                   {"Settings.ColSize", "-"},
                                                                   {"Settings.ColSize", ""}};
  for (const auto& [name, value] : refused) {
    error.clear();
    EXPECT_FALSE(setReportSetting(s, name, value, error)) << name << "=" << value;
    EXPECT_FALSE(error.empty()) << name;
  }
  EXPECT_EQ(storedText(s), storedText(expected));
}

TEST(ReportSettings, SaveIntoAnUnwritablePlaceReportsFalse) {
  TempDir dir;
  SettingsStore store(dir.writeFile("plain") + "/config", kApplication);
  EXPECT_FALSE(saveReportSettings(store, ReportSettings{}));
}

}  // namespace
}  // namespace tallyfold
