// Entries that are no UTF-8 keep their bytes through the exclusion window and
// the file-type list, and an unchanged list is never rewritten.

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <filesystem>

#include "gui/entry_bytes.h"
#include "gui/exclusion_window.h"
#include "gui/file_type_list.h"
#include "gui_fixture.h"
#include "platform/settings_store.h"

namespace tallyfold::test {
namespace {

namespace fs = std::filesystem;

class EntryBytesTest : public GuiTest {
 protected:
  // Dates a file back, so that a rewrite shows in its modification time.
  static fs::file_time_type ageFile(const std::string& path) {
    const auto old = fs::file_time_type::clock::now() - std::chrono::hours(24);
    fs::last_write_time(path, old);
    return fs::last_write_time(path);
  }
};

TEST_F(EntryBytesTest, BytesThatAreNoUtf8ShowEscapedAndEverythingElseAsIs) {
  EXPECT_EQ(gui::bytesForDisplay("/data/x\xFFy"), "/data/x\\xFFy");
  EXPECT_EQ(gui::bytesForDisplay("caf\xE9\xC3"), "caf\\xE9\\xC3");
  EXPECT_EQ(gui::bytesForDisplay("caf\xC3\xA9 \xEF\xBF\xBD"), QString::fromUtf8("café \uFFFD"));
  EXPECT_EQ(gui::bytesForDisplay("\xE6\x88\xA6\x80"), QString::fromUtf8("戦\\x80"));
}

TEST_F(EntryBytesTest, ExclusionWindowKeepsEveryEntrysBytesAndSavesOnlyAChange) {
  const std::string list =
      "caf\xE9.txt\r\n<<Folder List Start Here>>\r\n/data/x\xFFy\r\n"
      "<<Extension List Start Here>>\r\n*.b\xE4k\r\n";
  root.writeFile("app/exclusion.lst", list);
  const auto dated = ageFile(appFile("exclusion.lst"));
  {
    gui::ExclusionWindow window(nullptr);
    EXPECT_EQ(child<QListWidget>(&window, "lstFolder")->item(0)->text(), "/data/x\\xFFy");
    EXPECT_EQ(child<QListWidget>(&window, "lstFileName")->item(0)->text(), "caf\\xE9.txt");
    ExclusionMatcher matcher(window.lists());
    EXPECT_TRUE(matcher.isFolderExcluded("/data/x\xFFy"));
    EXPECT_FALSE(matcher.isFolderExcluded("/data/x\xEF\xBF\xBDy"));
    EXPECT_TRUE(matcher.isFileNameExcluded("caf\xE9.txt"));
    // OK and the close box with nothing changed leave the file alone.
    window.show();
    window.reject();
    child<QPushButton>(&window, "Command6")->click();
    EXPECT_EQ(readFile(appFile("exclusion.lst")), list);
    EXPECT_EQ(fs::last_write_time(appFile("exclusion.lst")), dated);

    // A change writes the lists, the untouched entries as their bytes.
    child<QLineEdit>(&window, "txtFileName")->setText("notes.md");
    child<QPushButton>(&window, "cmdFileAdd")->click();
    window.reject();
    EXPECT_EQ(readFile(appFile("exclusion.lst")),
              "caf\xE9.txt\r\nnotes.md\r\n<<Folder List Start Here>>\r\n/data/x\xFFy\r\n"
              "<<Extension List Start Here>>\r\n*.b\xE4k\r\n");
  }
  // A window that was never changed writes no list where there was none.
  fs::remove(appFile("exclusion.lst"));
  gui::ExclusionWindow empty(nullptr);
  EXPECT_TRUE(empty.saveLists());
  EXPECT_FALSE(fs::exists(appFile("exclusion.lst")));
}

TEST_F(EntryBytesTest, FileTypesReadAsBytesAreSavedAsTheSameBytesAndOnlyWhenChanged) {
  {
    SettingsStore store{std::string(kSettingsApplication)};
    ASSERT_TRUE(store.setMany("File Types", {{"1", ".mp3;MP3 audio"}, {"2", ".r\xFFw;Odd"}}));
  }
  const auto dated = ageFile(settingsFile());
  QVector<gui::FileType> types = gui::FileTypeList::loadOrDefaults();
  ASSERT_EQ(types.size(), 2);
  EXPECT_TRUE(gui::FileTypeList::save(types));
  EXPECT_EQ(fs::last_write_time(settingsFile()), dated);

  types.push_front(gui::FileType{".flac", "FLAC audio"});
  EXPECT_TRUE(gui::FileTypeList::save(types));
  SettingsStore store{std::string(kSettingsApplication)};
  const std::vector<std::pair<std::string, std::string>> saved = {
      {"1", ".flac;FLAC audio"}, {"2", ".mp3;MP3 audio"}, {"3", ".r\xFFw;Odd"}};
  EXPECT_EQ(store.section("File Types"), saved);
}

}  // namespace
}  // namespace tallyfold::test
