// Scan locations: the editor's rules, its file-type list in the store, and
// adding, updating and removing rows through the main window.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QTreeWidget>

#include "gui/file_type_list.h"
#include "gui/location_editor.h"
#include "gui/main_window.h"
#include "gui_fixture.h"

namespace tallyfold::test {
namespace {

using gui::LocationEditor;

class LocationTest : public GuiTest {};

// Shows the editor until its chooser has run once.
void openEditor(LocationEditor& editor, ScriptedDialogs& dialogs) {
  editor.show();
  ASSERT_TRUE(waitUntil([&] { return dialogs.folderCalls > 0; }));
}

TEST_F(LocationTest, EditorChoosesOnceAndChecksLevelAndTypes) {
  dialogs.folders = {"", QString::fromStdString(root.path())};
  LocationEditor editor(nullptr);
  openEditor(editor, dialogs);
  auto* ok = child<QPushButton>(&editor, "cmdOK");
  EXPECT_FALSE(ok->isEnabled());  // the chooser was cancelled
  editor.hide();
  editor.show();
  waitUntil([] { return false; }, 100);
  EXPECT_EQ(dialogs.folderCalls, 1);  // not again on a second activation
  child<QToolButton>(&editor, "Command2")->click();
  EXPECT_EQ(dialogs.folderCalls, 2);
  EXPECT_TRUE(ok->isEnabled());

  // Every level from the start; a level is typed once that box is unticked.
  auto* level = child<QLineEdit>(&editor, "Text2");
  auto* allLevels = child<QCheckBox>(&editor, "Check2");
  EXPECT_TRUE(allLevels->isChecked());
  EXPECT_FALSE(level->isEnabled());
  allLevels->setChecked(false);
  EXPECT_TRUE(level->isEnabled());
  // The level: a whole number from 1 up, refused otherwise.
  for (const char* bad : {"abc", "0", "-2", ""}) {
    level->setText(bad);
    ok->click();
    EXPECT_EQ(editor.result(), 0) << bad;
  }
  EXPECT_EQ(dialogs.messages.size(), 4u);
  EXPECT_EQ(dialogs.messages[0].title, "Error");
  level->setText("3");
  ok->click();
  EXPECT_EQ(editor.result(), QDialog::Accepted);
  EXPECT_EQ(editor.location().level, 3);
  EXPECT_EQ(editor.location().fileTypes, "*.*");

  child<QCheckBox>(&editor, "Check2")->setChecked(true);
  EXPECT_FALSE(level->isEnabled());
  ok->click();
  EXPECT_EQ(editor.location().level, ScanLocation::kAllLevels);
  child<QCheckBox>(&editor, "Check1")->setChecked(false);
  EXPECT_FALSE(child<QCheckBox>(&editor, "Check2")->isEnabled());
  ok->click();
  EXPECT_FALSE(editor.location().subFolders);

  // Chosen types, in list order; none chosen is refused.
  child<QRadioButton>(&editor, "Option2")->click();
  auto* types = child<QTreeWidget>(&editor, "FType");
  EXPECT_TRUE(types->isEnabled());
  editor.setResult(0);
  ok->click();
  EXPECT_EQ(editor.result(), 0);
  EXPECT_EQ(dialogs.messages.back().text, "Please select at least one file type");
  types->topLevelItem(2)->setCheckState(0, Qt::Checked);  // .jpg
  types->topLevelItem(0)->setCheckState(0, Qt::Checked);  // .mp3
  ok->click();
  EXPECT_EQ(editor.location().fileTypes, ".mp3;.jpg");
}

TEST_F(LocationTest, FileTypesAreAddedInOrderAndKeptInTheStore) {
  LocationEditor editor(nullptr);
  auto* types = child<QTreeWidget>(&editor, "FType");
  ASSERT_EQ(types->topLevelItemCount(), 10);
  EXPECT_EQ(types->topLevelItem(0)->text(0), ".mp3");
  EXPECT_FALSE(types->topLevelItem(0)->text(1).isEmpty());  // the MIME database's name

  dialogs.inputs = {"*.txt", "*", "md"};
  editor.addFileType();
  editor.addFileType();
  editor.addFileType();
  EXPECT_EQ(types->topLevelItem(0)->text(0), ".txt");
  EXPECT_EQ(types->topLevelItem(2)->text(0), ".md");  // the counter went on past "*"
  EXPECT_EQ(types->topLevelItemCount(), 12);
  EXPECT_EQ(dialogs.prompts.value(0), "Please type File Extension");
  auto stored = gui::FileTypeList::load();
  ASSERT_TRUE(stored);
  EXPECT_EQ(stored->at(2).extension, ".md");

  // Deleting every type brings the defaults back in the next editor.
  while (types->topLevelItemCount() > 0) {
    types->setCurrentItem(types->topLevelItem(0));
    editor.deleteFileType();
  }
  EXPECT_FALSE(gui::FileTypeList::load());
  LocationEditor next(nullptr);
  EXPECT_EQ(child<QTreeWidget>(&next, "FType")->topLevelItemCount(), 10);
}

TEST_F(LocationTest, WindowAddsUpdatesAndRemovesRows) {
  gui::MainWindow window;
  window.startUp();
  auto* list = child<QTreeWidget>(&window, "SearchList");
  auto add = [&](const std::string& folder, bool subFolders) {
    dialogs.folders.push_back(QString::fromStdString(folder));
    whenModal([&, subFolders](QWidget* editor) {
      waitUntil([&] { return dialogs.folders.empty(); });
      child<QCheckBox>(editor, "Check1")->setChecked(subFolders);
      child<QPushButton>(editor, "cmdOK")->click();
    });
    child<QToolButton>(&window, "cmdAdd")->click();
  };
  add(root / "Music", true);
  add(root / "Data", false);
  add(root / "Music", false);  // same text: the row is updated in place
  add(root / "music", true);   // other letter case: a row of its own
  ASSERT_EQ(list->topLevelItemCount(), 3);
  EXPECT_EQ(list->topLevelItem(0)->text(1), "No");
  EXPECT_EQ(list->topLevelItem(0)->text(3), "");
  EXPECT_EQ(list->topLevelItem(2)->text(0), QString::fromStdString(root / "music"));
  EXPECT_EQ(list->topLevelItem(2)->text(3), "All Levels");

  // An editor closed without OK adds nothing.
  dialogs.folders.push_back(QString::fromStdString(root / "Other"));
  whenModal([](QWidget* editor) { editor->close(); });
  child<QToolButton>(&window, "cmdAdd")->click();
  EXPECT_EQ(list->topLevelItemCount(), 3);

  auto* remove = child<QToolButton>(&window, "cmdRemove");
  for (int left = 2; left >= 0; --left) {
    list->setCurrentItem(list->topLevelItem(0));
    remove->click();
    EXPECT_EQ(list->topLevelItemCount(), left);
  }
  EXPECT_FALSE(remove->isEnabled());
}

}  // namespace
}  // namespace tallyfold::test
