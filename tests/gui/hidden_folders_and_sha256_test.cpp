// The "Skip hidden folders" box of the exclusion window and the SHA-256 box
// of the settings window: what they keep, and what a scan in the window then
// lists.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include "gui/exclusion_window.h"
#include "gui/main_window.h"
#include "gui/settings_window.h"
#include "gui_fixture.h"
#include "platform/settings_store.h"

namespace tallyfold::test {
namespace {

using gui::ExclusionWindow;
using gui::SettingsWindow;

class HiddenFoldersAndSha256Test : public GuiTest {
 protected:
  Job detailsOf(const std::string& folder) {
    Job job;
    job.reportType = ReportType::Details;
    ScanLocation location;
    location.folder = folder;
    job.locations.push_back(location);
    return job;
  }
  std::string scanInWindow(const std::string& folder) {
    gui::MainWindow window;
    window.startUp();
    window.applyJob(detailsOf(folder));
    window.action("mnuScan")->trigger();
    EXPECT_TRUE(waitUntil([&] { return !window.scanning(); }));
    return child<QPlainTextEdit>(&window, "rTxt")->toPlainText().toStdString();
  }
};

TEST_F(HiddenFoldersAndSha256Test, SkipHiddenFoldersIsOffByDefaultAndKept) {
  root.makeDir("app");  // where exclusion.lst is kept
  // A store reads its file when it is made: one per look.
  auto stored = [](const char* key) {
    return SettingsStore{std::string(kSettingsApplication)}.get("Exclusions", key);
  };
  {
    ExclusionWindow window(nullptr);
    auto* box = child<QCheckBox>(&window, "chkSkipHiddenFolders");
    EXPECT_FALSE(box->isChecked());
    EXPECT_FALSE(window.lists().skipHiddenFolders);
    box->setChecked(true);
    EXPECT_TRUE(window.lists().skipHiddenFolders);
    ASSERT_TRUE(window.saveLists());
  }
  EXPECT_EQ(stored("SkipHiddenFolders"), "1");
  EXPECT_EQ(stored("FollowLinks"), "0");
  ExclusionWindow again(nullptr);
  EXPECT_TRUE(child<QCheckBox>(&again, "chkSkipHiddenFolders")->isChecked());
  EXPECT_TRUE(again.lists().skipHiddenFolders);
  child<QCheckBox>(&again, "chkSkipHiddenFolders")->setChecked(false);
  ASSERT_TRUE(again.saveLists());
  EXPECT_EQ(stored("SkipHiddenFolders"), "0");
}

TEST_F(HiddenFoldersAndSha256Test, AScanInTheWindowSkipsDotFoldersWhenAsked) {
  root.writeFile("repo/.git/config", "x");
  root.writeFile("repo/.git/objects/packed.bin", "x");
  root.writeFile("repo/main.c", "x");
  root.writeFile("repo/src/util.c", "x");
  const std::string all = scanInWindow(root / "repo");
  EXPECT_NE(all.find("packed.bin"), std::string::npos) << all;

  SettingsStore store{std::string(kSettingsApplication)};
  ASSERT_TRUE(store.set("Exclusions", "SkipHiddenFolders", "1"));
  const std::string skipped = scanInWindow(root / "repo");
  EXPECT_EQ(skipped.find(".git"), std::string::npos) << skipped;
  EXPECT_EQ(skipped.find("packed.bin"), std::string::npos) << skipped;
  EXPECT_NE(skipped.find("main.c"), std::string::npos) << skipped;
  EXPECT_NE(skipped.find("util.c"), std::string::npos) << skipped;
}

TEST_F(HiddenFoldersAndSha256Test, Sha256BoxSitsBesideCrcAndIsStored) {
  root.writeFile("data/abc.txt", "abc");
  {
    SettingsWindow window(nullptr);
    auto* sha = child<QCheckBox>(&window, "f_SHA256");
    auto* crc = child<QCheckBox>(&window, "f_CRC32");
    EXPECT_EQ(sha->parentWidget(), crc->parentWidget());
    EXPECT_FALSE(sha->isChecked());
    sha->setChecked(true);
    EXPECT_EQ(window.settings().sha256, 1);
    window.show();
    child<QPushButton>(&window, "Command1")->click();
  }
  SettingsStore store{std::string(kSettingsApplication)};
  EXPECT_EQ(store.get("Fields", "SHA256"), "1");
  const std::string listing = scanInWindow(root / "data");
  EXPECT_NE(listing.find("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"),
            std::string::npos)
      << listing;
}

}  // namespace
}  // namespace tallyfold::test
