#include "platform/settings_store.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "support/temp_dir.h"
#include "support/unprivileged.h"

namespace tallyfold {
namespace {

using Values = std::vector<std::pair<std::string, std::string>>;
using test::TempDir;

TEST(SettingsStore, ValuesComeBackThroughTheFileWhateverTheLetterCase) {
  TempDir dir;
  SettingsStore writer(dir.path(), "Corvane - Tallyfold");
  EXPECT_EQ(writer.filePath(), dir / "Corvane - Tallyfold.ini");
  ASSERT_TRUE(writer.set("Fields", "CRC32", "1"));
  ASSERT_TRUE(writer.set("Settings", "ColSize", "Auto"));
  ASSERT_TRUE(writer.set("fields", "crc32", "0"));  // the first spelling stays

  SettingsStore reader(dir.path(), "Corvane - Tallyfold");
  EXPECT_EQ(reader.get("FIELDS", "Crc32"), "0");
  EXPECT_EQ(reader.get("settings", "colsize"), "Auto");
  EXPECT_EQ(reader.get("Settings", "Missing", "fallback"), "fallback");
  EXPECT_EQ(reader.get("Nowhere", "ColSize", "x"), "x");
  EXPECT_EQ(test::readFile(writer.filePath()),
            "[Fields]\nCRC32=0\n"
            "\n[Settings]\nColSize=Auto\n");
}

TEST(SettingsStore, SectionsListValuesInTheOrderTheyWereFirstWrittenAndGoOneByOne) {
  TempDir dir;
  SettingsStore store(dir.path(), "App");
  ASSERT_TRUE(store.setMany("File Types", {{"3", ".txt;Text"}, {"1", ".mp3;Audio"}}));
  ASSERT_TRUE(store.set("Margins", "Top", "720"));
  ASSERT_TRUE(store.set("File Types", "2", ".doc;Document"));
  ASSERT_TRUE(store.set("file types", "1", ".wav;Wave"));
  const Values expected{{"3", ".txt;Text"}, {"1", ".wav;Wave"}, {"2", ".doc;Document"}};
  EXPECT_EQ(store.section("File Types"), expected);
  EXPECT_EQ(SettingsStore(dir.path(), "App").section("FILE TYPES"), expected);
  EXPECT_TRUE(store.section("Other").empty());

  ASSERT_TRUE(store.deleteSection("FILE TYPES"));
  EXPECT_TRUE(store.section("File Types").empty());
  ASSERT_TRUE(store.set("File Types", "1", "c"));
  EXPECT_EQ(test::readFile(store.filePath()), "[Margins]\nTop=720\n\n[File Types]\n1=c\n");
  EXPECT_TRUE(store.deleteSection("Not There"));
}

TEST(SettingsStore, AnyByteButNewlineSurvivesInNamesAndValues) {
  TempDir dir;
  const std::string value = " two\r\nlines \\ with = and \\n [x] \xC3\xA9 ";
  const std::string key = "[odd=key\\";
  const std::string section = "Sec]tion\n";
  SettingsStore store(dir.path(), "App");
  ASSERT_TRUE(store.set(section, key, value));
  ASSERT_TRUE(store.set("Plain", "Empty", ""));
  ASSERT_TRUE(store.set("Plain", " [looks", "like a section]"));

  SettingsStore reader(dir.path(), "App");
  EXPECT_EQ(reader.get(section, key), value);
  EXPECT_EQ(reader.get("Plain", "Empty", "fallback"), "");
  EXPECT_EQ(reader.section("Plain"), (Values{{"Empty", ""}, {" [looks", "like a section]"}}));
  EXPECT_EQ(reader.section(section), (Values{{key, value}}));
  std::string text = test::readFile(store.filePath());
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 6) << text;
  EXPECT_EQ(text.find('\r'), std::string::npos);
}

TEST(SettingsStore, ReadsHandWrittenFilesAndSkipsWhatItCannotParse) {
  TempDir dir;
  dir.writeFile("App.ini",
                "\xEF\xBB\xBF"
                "stray=before any section\r\n"
                "[Margins]\r\n"
                "Top=1440\r\n"
                "a line without an equals sign\r\n"
                "\r\n"
                "  [WindowSize]  \r\n"
                "W=9000\r\n"
                "[margins]\r\n"
                "Left=360\r\n"
                "TOP=720\r\n");
  SettingsStore store(dir.path(), "App");
  EXPECT_EQ(store.section("Margins"), (Values{{"Top", "720"}, {"Left", "360"}}));
  EXPECT_EQ(store.get("WindowSize", "W"), "9000");
  EXPECT_EQ(store.get("", "stray", "none"), "none");
}

TEST(SettingsStore, BlanksAroundKeysAndValuesAreTheFilesLayout) {
  TempDir dir;
  dir.writeFile("App.ini",
                "[Settings]\r\n"
                "ColSize = 20\r\n"
                "\tShowSizeIn\t=\tMB \r\n"
                "Inner = a  b\r\n"
                "Kept=\\spadded\\t\r\n");
  SettingsStore store(dir.path(), "App");
  EXPECT_EQ(
      store.section("Settings"),
      (Values{{"ColSize", "20"}, {"ShowSizeIn", "MB"}, {"Inner", "a  b"}, {"Kept", " padded\t"}}));
  EXPECT_EQ(store.get("settings", "COLSIZE"), "20");
  // Blanks a value does hold at its ends are written so they come back.
  ASSERT_TRUE(store.set("Settings", " Key ", "\t value "));
  SettingsStore reader(dir.path(), "App");
  EXPECT_EQ(reader.get("Settings", " key "), "\t value ");
  EXPECT_EQ(reader.get("Settings", "key", "none"), "none");
}

TEST(SettingsStore, ManyKeysKeepTheirOrderAndMatchInAnyCase) {
  TempDir dir;
  // Keys go through an index by lower-cased name; a section still lists them
  // in the order they were first written, a later line only changing a value.
  std::string file = "[Many]\n";
  Values expected;
  for (int i = 0; i < 20000; ++i) {
    const std::string key = "Key" + std::to_string((i * 7919) % 20000);
    file += key + "=" + std::to_string(i) + "\n";
    expected.emplace_back(key, std::to_string(i));
  }
  file += "[many]\nKEY0=last\n[Other]\nx=1\n";
  expected.front().second = "last";
  dir.writeFile("App.ini", file);
  SettingsStore store(dir.path(), "App");
  EXPECT_EQ(store.section("MANY"), expected);
  for (const auto& [key, value] : expected) {
    std::string other = key;
    for (char& c : other) c = static_cast<char>(c == 'K' ? 'k' : c == 'e' ? 'E' : c);
    ASSERT_EQ(store.get("mAnY", other), value) << key;
  }
  ASSERT_TRUE(store.deleteSection("MANY"));
  EXPECT_EQ(store.get("Many", "key0", "gone"), "gone");
  EXPECT_EQ(store.get("other", "X"), "1");
  ASSERT_TRUE(store.set("Many", "Back", "again"));
  EXPECT_EQ(SettingsStore(dir.path(), "App").section("many"), (Values{{"Back", "again"}}));
}

TEST(SettingsStore, NothingIsWrittenBeforeTheFirstValue) {
  TempDir dir;
  const std::string folder = dir / "config/tallyfold";
  SettingsStore store(folder, "App");
  EXPECT_EQ(store.get("Options", "Vista Message", "0"), "0");
  EXPECT_FALSE(std::filesystem::exists(folder));
  ASSERT_TRUE(store.set("Options", "Vista Message", "1"));
  EXPECT_EQ(SettingsStore(folder, "App").get("options", "vista message"), "1");
}

// The window, the report settings and the page margins each keep a store of
// the same application; one writing must not undo what another wrote.
TEST(SettingsStore, StoresOfOneApplicationKeepEachOthersValues) {
  TempDir dir;
  SettingsStore window(dir.path(), "App");
  SettingsStore margins(dir.path(), "App");
  ASSERT_TRUE(window.set("WindowSize", "W", "9000"));
  ASSERT_TRUE(margins.set("Margins", "Top", "720"));
  ASSERT_TRUE(window.set("WindowSize", "H", "6000"));
  EXPECT_EQ(window.get("Margins", "Top"), "720");

  SettingsStore reader(dir.path(), "App");
  EXPECT_EQ(reader.section("WindowSize"), (Values{{"W", "9000"}, {"H", "6000"}}));
  EXPECT_EQ(reader.get("Margins", "Top"), "720");
}

TEST(SettingsStore, AFolderWithoutWritePermissionKeepsTheOldFile) {
  TempDir dir;
  const std::string earlier = "[Settings]\nColSize=Auto\n";
  const std::string folder = dir.makeDir("config");
  const std::string path = dir.writeFile("config/App.ini", earlier);
  chmod(dir.path().c_str(), 0755);
  chmod(folder.c_str(), 0555);
  EXPECT_TRUE(test::holdsUnprivileged([&] {
    SettingsStore store(folder, "App");
    return store.get("Settings", "ColSize") == "Auto" && !store.set("Settings", "ColSize", "KB") &&
           store.get("Settings", "ColSize") == "KB";
  }));
  EXPECT_EQ(test::readFile(path), earlier);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1);
}

TEST(SettingsStore, FailedWritesKeepTheValuesInMemory) {
  TempDir dir;
  // A folder path that is a regular file: the store cannot be created.
  const std::string notAFolder = dir.writeFile("plain-file", "x");
  SettingsStore blocked(notAFolder, "App");
  EXPECT_FALSE(blocked.set("Settings", "ColSize", "Auto"));
  EXPECT_EQ(blocked.get("Settings", "ColSize"), "Auto");
  EXPECT_FALSE(blocked.set("Settings", "FullPath", "1"));
  EXPECT_EQ(blocked.section("Settings"), (Values{{"ColSize", "Auto"}, {"FullPath", "1"}}));
  EXPECT_FALSE(std::filesystem::exists(notAFolder + "/App.ini"));
}

struct FileState {
  ino_t inode;
  int64_t modified;
  bool operator==(const FileState&) const = default;
};

FileState stateOf(const std::string& path) {
  struct stat facts {};
  EXPECT_EQ(stat(path.c_str(), &facts), 0) << path;
  return {facts.st_ino, int64_t(facts.st_mtim.tv_sec) * 1000000000 + facts.st_mtim.tv_nsec};
}

TEST(SettingsStore, AFileIsParsedOnceAndWrittenOnlyWhenAValueChanges) {
  TempDir dir;
  std::string text = "[WindowSize]\nW=9000\n[Many]\n";
  for (int i = 0; i < 1000; ++i) text += "k" + std::to_string(i) + "=v\n";
  const std::string path = dir.writeFile("App.ini", text);
  const uint64_t readsBefore = SettingsStore::fileReads();
  const uint64_t writesBefore = SettingsStore::fileWrites();
  // The window's parts each open a store of their own.
  for (int part = 0; part < 16; ++part) {
    SettingsStore store(dir.path(), "App");
    EXPECT_EQ(store.get("WindowSize", "W"), "9000");
    EXPECT_TRUE(store.set("WindowSize", "W", "9000"));
    EXPECT_TRUE(store.setMany("Many", {{"K1", "v"}, {"k2", "v"}}));
  }
  EXPECT_EQ(SettingsStore::fileReads() - readsBefore, 1u);
  EXPECT_EQ(SettingsStore::fileWrites() - writesBefore, 0u);
  const FileState untouched = stateOf(path);
  EXPECT_EQ(test::readFile(path), text);

  // A change is one write; the next store does not read the file again.
  SettingsStore store(dir.path(), "App");
  ASSERT_TRUE(store.set("WindowSize", "W", "9015"));
  EXPECT_EQ(SettingsStore::fileWrites() - writesBefore, 1u);
  EXPECT_NE(stateOf(path), untouched);
  EXPECT_EQ(SettingsStore(dir.path(), "App").get("WindowSize", "W"), "9015");
  EXPECT_EQ(SettingsStore::fileReads() - readsBefore, 1u);

  // A file another program replaced is read again, and a write keeps its values.
  dir.writeFile("App.ini.new", "[Other]\nX=1\n");
  ASSERT_EQ(rename((dir / "App.ini.new").c_str(), path.c_str()), 0);
  SettingsStore later(dir.path(), "App");
  EXPECT_EQ(later.get("Other", "X"), "1");
  EXPECT_EQ(later.get("WindowSize", "W"), "");
  ASSERT_TRUE(later.set("WindowSize", "H", "6000"));
  EXPECT_EQ(test::readFile(path), "[Other]\nX=1\n\n[WindowSize]\nH=6000\n");
  // A section deleted that was not there writes nothing.
  const FileState written = stateOf(path);
  ASSERT_TRUE(later.deleteSection("Nowhere"));
  EXPECT_EQ(stateOf(path), written);
}

}  // namespace
}  // namespace tallyfold
