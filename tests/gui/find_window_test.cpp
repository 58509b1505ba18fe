// findFrm on a real listing pane: the search options, the cyclic Find Next,
// Replace and Replace All.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "gui/find_window.h"
#include "gui/listing_history.h"
#include "gui/listing_pane.h"
#include "gui/main_window.h"
#include "gui_fixture.h"

namespace tallyfold::test {
namespace {

using gui::FindWindow;
using gui::ListingPane;

class FindWindowTest : public GuiTest {
 protected:
  FindWindowTest() {
    application();
    pane = new ListingPane(&owner);
  }

  // A fresh window, as each opening of the command makes one.
  std::unique_ptr<FindWindow> open(const QString& what, const QString& with = QString()) {
    auto window = std::make_unique<FindWindow>(pane, &owner);
    child<QLineEdit>(window.get(), "Text1")->setText(what);
    child<QLineEdit>(window.get(), "Text2")->setText(with);
    return window;
  }
  void click(FindWindow* window, const char* button) {
    child<QPushButton>(window, button)->click();
  }
  QString selected() const { return pane->textCursor().selectedText(); }
  int selectionStart() const { return pane->textCursor().selectionStart(); }
  QStringList messages() const {
    QStringList all;
    for (const auto& m : dialogs.messages) all << m.title + ": " + m.text;
    return all;
  }

  QWidget owner;
  ListingPane* pane;
};

TEST_F(FindWindowTest, ShowsEveryControlWithItsCaption) {
  FindWindow window(pane, &owner);
  EXPECT_EQ(window.objectName(), "findFrm");
  EXPECT_EQ(window.windowTitle(), "Find and Replace");
  const std::pair<const char*, const char*> captions[] = {
      {"Check1", "Case sensitive"},        {"Check2", "Whole word only"},
      {"FindButton", "Find Next"},         {"ReplaceButton", "Replace"},
      {"ReplaceAllButton", "Replace All"}, {"Command5", "Cancel"}};
  for (auto [name, caption] : captions)
    EXPECT_EQ(child<QAbstractButton>(&window, name)->text(), caption) << name;
  EXPECT_TRUE(child<QPushButton>(&window, "FindButton")->isDefault());
  EXPECT_TRUE(child<QPushButton>(&window, "ReplaceButton")->isEnabled());
  EXPECT_TRUE(child<QPushButton>(&window, "ReplaceAllButton")->isEnabled());
}

TEST_F(FindWindowTest, FindNextSearchesFromTheCursorAndStartsAgainAtTheTopAfterAMiss) {
  pane->setPlainText("dir one\ndirectory\nDIR two");
  auto window = open("dir");
  click(window.get(), "FindButton");  // the match at the very start
  EXPECT_EQ(selectionStart(), 0);
  click(window.get(), "FindButton");
  EXPECT_EQ(selectionStart(), 8);  // inside "directory", case ignored
  click(window.get(), "FindButton");
  EXPECT_EQ(selected(), "DIR");
  click(window.get(), "FindButton");
  EXPECT_EQ(messages(), QStringList{"Search Help: String not found"});
  click(window.get(), "FindButton");
  EXPECT_EQ(selectionStart(), 0);

  child<QCheckBox>(window.get(), "Check2")->setChecked(true);
  click(window.get(), "FindButton");  // whole words: not inside "directory"
  EXPECT_EQ(selectionStart(), 18);
  child<QCheckBox>(window.get(), "Check1")->setChecked(true);
  click(window.get(), "FindButton");
  EXPECT_EQ(messages().size(), 2);  // in the exact case no "dir" follows "DIR"
  click(window.get(), "FindButton");
  EXPECT_EQ(selectionStart(), 0);

  // A new window starts where the cursor is, not one character on.
  pane->moveCursor(QTextCursor::Start);
  auto again = open("DIR");
  click(again.get(), "FindButton");
  EXPECT_EQ(selectionStart(), 0);
}

TEST_F(FindWindowTest, CaseSensitiveSearchNeedsTheExactCase) {
  pane->setPlainText("xx ABC");
  auto window = open("abc");
  click(window.get(), "FindButton");
  EXPECT_EQ(selected(), "ABC");
  pane->moveCursor(QTextCursor::Start);
  child<QCheckBox>(window.get(), "Check1")->setChecked(true);
  click(window.get(), "FindButton");
  EXPECT_EQ(messages(), QStringList{"Search Help: String not found"});
}

TEST_F(FindWindowTest, EmptySearchTextDoesNothing) {
  pane->setPlainText("a a");
  auto window = open("", "b");
  for (const char* button : {"FindButton", "ReplaceButton", "ReplaceAllButton"})
    click(window.get(), button);
  EXPECT_EQ(pane->toPlainText(), "a a");
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(FindWindowTest, ReplaceChangesTheSelectionThenFindsTheNextMatch) {
  pane->setPlainText("cat dog cat");
  auto window = open("cat", "cow");
  click(window.get(), "ReplaceButton");  // nothing selected: only searches
  EXPECT_EQ(pane->toPlainText(), "cat dog cat");
  EXPECT_EQ(selectionStart(), 0);
  click(window.get(), "ReplaceButton");
  EXPECT_EQ(pane->toPlainText(), "cow dog cat");
  EXPECT_EQ(selectionStart(), 8);
  click(window.get(), "ReplaceButton");
  EXPECT_EQ(pane->toPlainText(), "cow dog cow");
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(FindWindowTest, ReplaceAllReplacesEveryMatchOnceAsOneUndoStep) {
  struct Case {
    QString text, what, with, result;
    int count;
  };
  const Case cases[] = {
      {"a", "a", "x", "x", 1},              // the only match is the first character
      {"a a a", "a", "ba", "ba ba ba", 3},  // the replacement holds the search text
      {"aaa", "a", "", "", 3},              // shorter replacement: nothing skipped
      {"Dir dir directory", "dir", "D", "D D Dectory", 3},
      {"none here", "zz", "y", "none here", 0},
  };
  for (const Case& c : cases) {
    pane->setPlainText(c.text);
    dialogs.messages.clear();
    auto window = open(c.what, c.with);
    click(window.get(), "FindButton");  // a match selected first is replaced too
    dialogs.messages.clear();
    EXPECT_EQ(window->replaceAll(), c.count) << c.text.toStdString();
    EXPECT_EQ(pane->toPlainText(), c.result) << c.text.toStdString();
    const QString told =
        c.count == 1 ? "Replaced 1 match." : QString("Replaced %1 matches.").arg(c.count);
    EXPECT_EQ(messages(), QStringList{"Search Help: " + told});
    pane->history().undo();
    EXPECT_EQ(pane->toPlainText(), c.text) << c.text.toStdString();
  }
}

TEST_F(FindWindowTest, ReplaceAllOverManyLinesShiftsEachMatchByTheOnesBeforeIt) {
  QStringList lines, expected;
  for (int i = 0; i < 3000; ++i) {
    lines << QString("file%1.txt  4 KB  file.txt").arg(i);
    expected << QString("file%1.text  4 KB  file.text").arg(i);
  }
  pane->setPlainText(lines.join('\n'));
  auto longer = open(".txt", ".text");
  EXPECT_EQ(longer->replaceAll(), 6000);
  EXPECT_EQ(pane->toPlainText(), expected.join('\n'));
  EXPECT_FALSE(pane->isReadOnly());
  // The cursor ends behind the last replacement.
  EXPECT_EQ(pane->textCursor().position(), pane->document()->characterCount() - 1);

  auto shorter = open(".text", ".t");
  EXPECT_EQ(shorter->replaceAll(), 6000);
  EXPECT_EQ(pane->toPlainText(), QString(lines.join('\n')).replace(".txt", ".t"));
}

TEST_F(FindWindowTest, ReplaceAllKeepsTheOptions) {
  pane->setPlainText("Dir dir directory");
  auto window = open("dir", "x");
  child<QCheckBox>(window.get(), "Check1")->setChecked(true);
  child<QCheckBox>(window.get(), "Check2")->setChecked(true);
  EXPECT_EQ(window->replaceAll(), 1);
  EXPECT_EQ(pane->toPlainText(), "Dir x directory");
}

TEST_F(FindWindowTest, MenuOpensAFreshWindowBesideTheMainWindowWithTheFocusInFindWhat) {
  gui::MainWindow window;
  window.show();
  const QRect area = window.screen()->availableGeometry();
  window.setGeometry(area.left(), area.top() + 40, window.minimumWidth(), window.minimumHeight());
  QString name, focus;
  QRect found;
  whenModal([&](QWidget* modal) {
    name = modal->objectName();
    QWidget* focused = QApplication::focusWidget();
    focus = focused ? focused->objectName() : QString();
    found = modal->frameGeometry();
    child<QPushButton>(modal, "Command5")->click();
  });
  window.action("mnuFindReplace")->trigger();
  EXPECT_EQ(name, "findFrm");
  EXPECT_EQ(focus, "Text1");
  // The test screen is small: the window goes where placeBeside says, whole
  // on the screen, over no more of the main window than it must.
  EXPECT_EQ(found.topLeft(), gui::placeBeside(window.frameGeometry(), found.size(), area));
  EXPECT_TRUE(area.contains(found));
  EXPECT_EQ(found.right(), area.right());
  EXPECT_EQ(found.top(), window.frameGeometry().top());
  EXPECT_EQ(window.findChild<FindWindow*>("findFrm"), nullptr);
}

TEST(FindWindowPlace, BesideTheOwnerWhereThereIsRoomElseAgainstTheWiderSide) {
  const QRect screen(0, 0, 1920, 1080);
  const QSize size(400, 200);
  // Room on the right.
  EXPECT_EQ(gui::placeBeside(QRect(100, 100, 800, 600), size, screen), QPoint(900, 100));
  // None on the right, enough on the left.
  EXPECT_EQ(gui::placeBeside(QRect(1000, 100, 900, 600), size, screen), QPoint(600, 100));
  // A main window over the whole screen: against the side with more room,
  // never off the screen; a low main window lifts it into view.
  EXPECT_EQ(gui::placeBeside(QRect(0, 0, 1900, 1080), size, screen), QPoint(1520, 0));
  EXPECT_EQ(gui::placeBeside(QRect(30, 950, 1890, 100), size, screen), QPoint(0, 880));
}

}  // namespace
}  // namespace tallyfold::test
