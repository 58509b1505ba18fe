// The report settings window and the exclusion window: their controls, their
// rules and what they keep.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <filesystem>

#include "gui/exclusion_window.h"
#include "gui/settings_window.h"
#include "gui_fixture.h"
#include "platform/settings_store.h"

namespace tallyfold::test {
namespace {

using gui::ExclusionWindow;
using gui::SettingsWindow;

class SettingsExclusionTest : public GuiTest {};

TEST_F(SettingsExclusionTest, SettingsWindowDefaultsCaseRuleOkAndClose) {
  SettingsWindow window(nullptr);
  ReportSettings defaults;
  ReportSettings shown = window.settings();
  EXPECT_EQ(shown.fileName, 1);
  EXPECT_EQ(shown.date, 1);
  EXPECT_EQ(shown.crc32, 0);
  EXPECT_EQ(shown.fullPath, 1);
  EXPECT_EQ(shown.colSize, "40");
  EXPECT_EQ(shown.showSizeIn, "KB");
  EXPECT_EQ(child<QGroupBox>(&window, "Frame5")->title(), "Tags");

  // The column size takes whole numbers in the range the reports accept only.
  auto* columnSize = child<QSpinBox>(&window, "v_ColSize");
  EXPECT_EQ(columnSize->minimum(), 3);
  EXPECT_EQ(columnSize->maximum(), 1000);
  columnSize->selectAll();
  QTest::keyClicks(columnSize, "4x5");
  columnSize->interpretText();
  EXPECT_EQ(window.settings().colSize, "45");
  columnSize->selectAll();
  QTest::keyClicks(columnSize, "99999");
  columnSize->interpretText();
  EXPECT_LE(columnSize->value(), 1000);
  ReportSettings odd;
  odd.colSize = "wide";
  window.showSettings(odd);
  EXPECT_EQ(columnSize->value(), 40);
  window.showSettings(defaults);

  auto* upper = child<QCheckBox>(&window, "v_ListInUpper");
  auto* lower = child<QCheckBox>(&window, "v_ListInLower");
  lower->click();
  upper->click();
  EXPECT_TRUE(upper->isChecked());
  EXPECT_FALSE(lower->isChecked());
  upper->click();
  EXPECT_FALSE(lower->isChecked());

  // The focus goes to "Full path" once, when the window is shown.
  window.show();
  QApplication::setActiveWindow(&window);
  EXPECT_TRUE(waitUntil([&] { return child<QCheckBox>(&window, "v_FullPath")->hasFocus(); }));
  child<QCheckBox>(&window, "f_Size")->setFocus();
  window.repaint();
  EXPECT_TRUE(child<QCheckBox>(&window, "f_Size")->hasFocus());

  // The media columns have a page of their own, all off at first.
  auto* tabs = child<QTabWidget>(&window, "SSTab1");
  ASSERT_EQ(tabs->count(), 3);
  EXPECT_EQ(tabs->tabText(2), "Media Fields");
  const char* mediaChecks[] = {"f_Duration", "f_Bitrate", "f_AudioFormat", "f_Dimensions",
                               "f_Taken",    "f_Camera",  "f_Codec"};
  for (const char* name : mediaChecks) {
    auto* check = child<QCheckBox>(&window, name);
    EXPECT_FALSE(check->isChecked()) << name;
  }

  // OK writes all 32 keys; CRC32 reads back under any letter case.
  child<QCheckBox>(&window, "f_CRC32")->setChecked(true);
  child<QCheckBox>(&window, "f_Dimensions")->setChecked(true);
  child<QCheckBox>(&window, "f_Codec")->setChecked(true);
  child<QPushButton>(&window, "Command1")->click();
  EXPECT_FALSE(window.isVisible());
  SettingsStore store{std::string(kSettingsApplication)};
  EXPECT_EQ(store.section("Fields").size() + store.section("Settings").size(), 32u);
  EXPECT_EQ(store.get("Fields", "Crc32"), "1");
  EXPECT_EQ(store.get("Fields", "Dimensions"), "1");
  EXPECT_EQ(store.get("Fields", "Codec"), "1");
  EXPECT_EQ(store.get("Fields", "Duration"), "0");
  const ReportSettings saved = loadReportSettings(store);
  EXPECT_TRUE(saved.dimensions && saved.codec && !saved.taken);

  // Closing by the frame drops the edits.
  window.show();
  child<QCheckBox>(&window, "f_Owner")->setChecked(true);
  window.reject();
  EXPECT_EQ(window.settings().owner, 0);
  EXPECT_EQ(store.get("Fields", "Owner"), "0");
}

TEST_F(SettingsExclusionTest, ExclusionWindowAddsRemovesAndKeepsItsLists) {
  root.writeFile("app/exclusion.lst",
                 "readme.txt\r\n<<Folder List Start Here>>\r\n<<Extension List Start Here>>\r\n");
  ExclusionWindow window(nullptr);
  auto* names = child<QListWidget>(&window, "lstFileName");
  auto* nameBox = child<QLineEdit>(&window, "txtFileName");
  ASSERT_EQ(names->count(), 1);
  EXPECT_TRUE(child<QPushButton>(&window, "cmdFileRemove")->isEnabled());

  // A duplicate in other letters adds nothing and keeps the typed text.
  nameBox->setText("README.TXT");
  child<QPushButton>(&window, "cmdFileAdd")->click();
  EXPECT_EQ(names->count(), 1);
  EXPECT_EQ(nameBox->text(), "README.TXT");
  nameBox->setText("notes.md");
  QTest::keyClick(nameBox, Qt::Key_Return);
  EXPECT_EQ(names->count(), 2);
  EXPECT_TRUE(nameBox->text().isEmpty());

  // The extension box takes letters and digits only.
  auto* extension = child<QLineEdit>(&window, "txtExtension");
  QTest::keyClicks(extension, "*.Tm1p");
  EXPECT_EQ(extension->text(), "Tm1p");
  child<QPushButton>(&window, "cmdExtensionAdd")->click();
  EXPECT_EQ(child<QListWidget>(&window, "lstExtension")->item(0)->text(), "*.Tm1p");

  dialogs.folders = {QString::fromStdString(root / "skip/")};
  child<QPushButton>(&window, "cmdFolderAdd")->click();
  EXPECT_EQ(child<QListWidget>(&window, "lstFolder")->item(0)->text(),
            QString::fromStdString(root / "skip"));

  // Remove with the last entry gone disables the button.
  auto* extensions = child<QListWidget>(&window, "lstExtension");
  extensions->setCurrentRow(0);
  child<QPushButton>(&window, "cmdExtensionRemove")->click();
  EXPECT_FALSE(child<QPushButton>(&window, "cmdExtensionRemove")->isEnabled());

  child<QCheckBox>(&window, "chkFolderSubFolder")->setChecked(true);
  child<QCheckBox>(&window, "chkFollowLinks")->setChecked(true);
  EXPECT_TRUE(window.lists().skipExcludedFolderTrees);
  window.show();
  window.reject();  // the close box saves as OK does
  EXPECT_EQ(readFile(appFile("exclusion.lst")),
            "readme.txt\r\nnotes.md\r\n<<Folder List Start Here>>\r\n" + (root / "skip") +
                "\r\n<<Extension List Start Here>>\r\n");
  ExclusionWindow again(nullptr);
  EXPECT_TRUE(again.followLinks());
  EXPECT_FALSE(again.lists().skipExcludedFolderTrees);

  // A list that cannot be written: the user is told, the lists stay.
  std::filesystem::remove(appFile("exclusion.lst"));
  root.makeDir("app/exclusion.lst/inside");
  child<QLineEdit>(&again, "txtFileName")->setText("more.txt");
  child<QPushButton>(&again, "cmdFileAdd")->click();
  EXPECT_FALSE(again.saveLists());
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].title, "Error");
  EXPECT_TRUE(dialogs.messages[0].text.contains("exclusion.lst"));
  EXPECT_EQ(again.lists().fileNames.size(), 3u);
}

}  // namespace
}  // namespace tallyfold::test
