// The listing pane's editing: undo and redo across edits and loaded
// listings, the clipboard commands, the formatting bar and the font boxes.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>
#include <fstream>

#include "gui/listing_history.h"
#include "gui/listing_pane.h"
#include "gui/main_window.h"
#include "gui_fixture.h"

namespace tallyfold::test {
namespace {

using gui::ListingPane;
using gui::MainWindow;

class EditCommandsTest : public GuiTest {
 protected:
  EditCommandsTest() { application(); }

  ListingPane* pane() { return child<ListingPane>(&window, "rTxt"); }
  QString text() { return pane()->toPlainText(); }
  void run(const char* action) { window.action(action)->trigger(); }

  // A separate change each time: a line put in front of the others.
  void prepend(const QString& line) {
    QTextCursor cursor(pane()->document());
    cursor.insertText(line + "\n");
  }

  void select(int from, int to) {
    QTextCursor cursor(pane()->document());
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    pane()->setTextCursor(cursor);
  }

  // Loads a small report whose first line is bold.
  void load(const std::string& name, const std::string& title) {
    std::string path = root / name;
    std::ofstream(path) << "{\\rtf1\\ansi{\\fonttbl{\\f0 Courier New;}}\\f0\\fs20\\b " << title
                        << "\\b0\\par plain line\\par}";
    pane()->loadReport(path);
    ASSERT_TRUE(waitUntil([&] { return !pane()->loading(); }));
  }

  MainWindow window;
};

TEST_F(EditCommandsTest, UndoGoesTenStepsBackAndRedoStopsAtTheNewest) {
  for (int i = 1; i <= 12; ++i) prepend(QString("change %1").arg(i));
  const QString newest = text();
  for (int i = 0; i < 10; ++i) run("mnuUndo");
  EXPECT_EQ(text(), "change 2\nchange 1\n");
  for (int i = 0; i < 10; ++i) run("Toolbar2Button3");
  EXPECT_EQ(text(), newest);
  run("mnuRedo");  // at the newest state: nothing
  EXPECT_EQ(text(), newest);
  // The pane's own keys use the same history.
  QTest::keyClick(pane(), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(text(), newest.mid(QString("change 12\n").size()));
}

TEST_F(EditCommandsTest, ANewChangeDropsTheRedoSteps) {
  prepend("one");
  prepend("two");
  prepend("three");
  run("Toolbar2Button2");
  run("mnuUndo");
  EXPECT_EQ(text(), "one\n");
  prepend("other");
  run("mnuRedo");
  EXPECT_EQ(text(), "other\none\n");
  run("mnuUndo");
  EXPECT_EQ(text(), "one\n");
}

TEST_F(EditCommandsTest, LoadingAReportIsOneStepAcrossTwoReports) {
  prepend("draft");
  load("a.dmp", "Report A");
  EXPECT_EQ(text(), "Report A\nplain line\n");
  load("b.dmp", "Report B");
  prepend("edited");
  run("mnuUndo");
  EXPECT_EQ(text(), "Report B\nplain line\n");
  run("mnuUndo");
  EXPECT_EQ(text(), "Report A\nplain line\n");
  // The earlier listing comes back with its formatting.
  EXPECT_TRUE(pane()->document()->begin().begin().fragment().charFormat().fontWeight() >=
              QFont::Bold);
  run("mnuUndo");
  EXPECT_EQ(text(), "draft\n");
  run("mnuUndo");
  EXPECT_EQ(text(), "");
  run("mnuUndo");  // nothing older
  EXPECT_EQ(text(), "");
  for (int i = 0; i < 4; ++i) run("mnuRedo");
  EXPECT_EQ(text(), "edited\nReport B\nplain line\n");
  run("mnuRedo");
  EXPECT_EQ(text(), "edited\nReport B\nplain line\n");

  // Back at A, an edit there drops B and its edit.
  run("mnuUndo");
  run("mnuUndo");
  prepend("new");
  run("mnuRedo");
  EXPECT_EQ(text(), "new\nReport A\nplain line\n");
  EXPECT_FALSE(pane()->history().canRedo());
}

TEST_F(EditCommandsTest, NewJobEmptiesThePaneAsAnUndoableStep) {
  load("a.dmp", "Report A");
  window.newJob();
  EXPECT_EQ(text(), "");
  run("mnuUndo");
  EXPECT_EQ(text(), "Report A\nplain line\n");
}

TEST_F(EditCommandsTest, TheClipboardCarriesPlainTextOnly) {
  load("a.dmp", "Report A");
  QClipboard* clipboard = QApplication::clipboard();
  select(0, 13);  // "Report A" and the paragraph end and "plai"
  run("mnuCopy");
  EXPECT_EQ(clipboard->text(), "Report A\nplai");
  EXPECT_EQ(clipboard->mimeData()->formats(), QStringList{"text/plain"});
  // The pane's own Ctrl+C too.
  clipboard->clear();
  QTest::keyClick(pane(), Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(clipboard->mimeData()->formats(), QStringList{"text/plain"});

  select(3, 3);
  run("mnuCopy");
  EXPECT_EQ(clipboard->text(), "");

  select(9, 15);  // "plain "
  run("mnuCut");
  EXPECT_EQ(clipboard->text(), "plain ");
  EXPECT_EQ(text(), "Report A\nline\n");
  select(0, 7);  // "Report "
  run("mnuDelete");
  EXPECT_EQ(text(), "A\nline\n");
  EXPECT_EQ(clipboard->text(), "plain ");

  // Rich text from another program arrives as its plain text, in the format
  // at the insertion point.
  auto* rich = new QMimeData;
  rich->setHtml("<b>strong</b>");
  rich->setText("strong");
  clipboard->setMimeData(rich);
  select(2, 2);
  run("mnuPaste");
  EXPECT_EQ(text(), "A\nstrongline\n");
  QTextCursor inserted(pane()->document());
  inserted.setPosition(4);
  EXPECT_LT(inserted.charFormat().fontWeight(), QFont::Bold);
  run("mnuUndo");
  EXPECT_EQ(text(), "A\nline\n");

  run("mnuSelect");
  EXPECT_EQ(pane()->textCursor().selectionStart(), 0);
  EXPECT_EQ(pane()->textCursor().selectionEnd(), int(text().size()));
}

TEST_F(EditCommandsTest, StyleButtonsFormatTheSelectionAndFollowIt) {
  load("a.dmp", "Report A");
  QAction* bold = window.action("Toolbar2Button5");
  QAction* italic = window.action("Toolbar2Button6");
  QAction* underline = window.action("Toolbar2Button7");
  select(9, 14);  // "plain"
  EXPECT_FALSE(bold->isChecked());
  italic->trigger();
  underline->trigger();
  EXPECT_TRUE(italic->isChecked());
  select(10, 12);
  EXPECT_TRUE(italic->isChecked());
  EXPECT_TRUE(underline->isChecked());
  select(0, 3);  // inside the bold title
  EXPECT_TRUE(bold->isChecked());
  EXPECT_FALSE(italic->isChecked());
  select(5, 11);  // bold and plain mixed
  EXPECT_FALSE(bold->isChecked());
  bold->trigger();  // sets the whole selection bold
  select(5, 11);
  EXPECT_TRUE(bold->isChecked());
  bold->trigger();
  select(5, 11);
  EXPECT_FALSE(pane()->textCursor().charFormat().fontWeight() >= QFont::Bold);
  EXPECT_FALSE(bold->isChecked());

  // The colour: a cancelled dialog changes nothing.
  auto* swatch = child<QLabel>(child<QWidget>(&window, "Picture1"), "Label2");
  const QString before = swatch->styleSheet();
  dialogs.colours.push_back(std::nullopt);
  run("Toolbar2Button8");
  EXPECT_EQ(swatch->styleSheet(), before);
  dialogs.colours.push_back(QColor(Qt::red));
  run("Toolbar2Button8");
  EXPECT_TRUE(swatch->styleSheet().contains("#ff0000"));
  EXPECT_EQ(pane()->textCursor().charFormat().foreground().color(), QColor(Qt::red));
}

TEST_F(EditCommandsTest, FontBoxesChangeTheSelectionOnlyWhenTheUserChooses) {
  window.startUp();
  load("a.dmp", "Report A");
  auto* size = child<QComboBox>(&window, "cmbFontSize");
  select(9, 14);
  size->lineEdit()->clear();
  QTest::keyClicks(size->lineEdit(), "14");
  select(10, 12);
  EXPECT_EQ(pane()->textCursor().charFormat().fontPointSize(), 14);
  select(1, 2);
  EXPECT_EQ(pane()->textCursor().charFormat().fontPointSize(), 10);
  // Text that is no size changes nothing.
  select(9, 14);
  size->lineEdit()->clear();
  QTest::keyClicks(size->lineEdit(), "x");
  EXPECT_EQ(pane()->textCursor().charFormat().fontPointSize(), 14);

  auto* font = child<QComboBox>(&window, "cmbFont");
  select(0, 6);
  const QString family = font->itemText(0);
  font->setCurrentIndex(0);
  emit font->textActivated(family);
  select(1, 2);
  EXPECT_EQ(pane()->textCursor().charFormat().fontFamilies().toStringList(), QStringList{family});

  // A job that sets the boxes leaves the pane alone.
  const QString text = pane()->toPlainText();
  Job job = window.currentJob();
  job.fontSize = "20";
  window.applyJob(job);
  select(9, 14);
  EXPECT_EQ(pane()->textCursor().charFormat().fontPointSize(), 14);
}

TEST_F(EditCommandsTest, EditMenuIsThePanesContextMenuAndFollowsTheBusyState) {
  QStringList captions;
  auto* edit = child<QMenu>(&window, "mnuEdit");
  for (QAction* action : edit->actions())
    captions << (action->isSeparator() ? "-"
                                       : action->text() + " " + action->shortcut().toString());
  EXPECT_EQ(captions, (QStringList{"Undo Ctrl+Z", "Redo Ctrl+Y", "-", "Cut Ctrl+X", "Copy Ctrl+C",
                                   "Paste Ctrl+V", "Delete Del", "-", "Find Ctrl+F",
                                   "Find and Replace Ctrl+H", "-", "Select All Ctrl+A"}));
  bool shown = false;
  QTimer::singleShot(0, [&] {
    QWidget* popup = QApplication::activePopupWidget();
    shown = popup == edit;
    if (popup) popup->close();
  });
  QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                          pane()->mapToGlobal(QPoint(5, 5)));
  QApplication::sendEvent(pane()->viewport(), &event);
  EXPECT_TRUE(shown);

  window.enableControls(false);
  for (const char* name : {"mnuUndo", "mnuPaste", "mnuFind", "mnuSelect", "mnuPrint",
                           "mnuPageSetup", "mnuHelpTopics", "Toolbar1Button5"})
    EXPECT_FALSE(window.action(name)->isEnabled()) << name;
  window.enableControls(true);
  EXPECT_TRUE(window.action("mnuPrint")->isEnabled());
}

// A long unwrapped listing keeps its layout when the window changes width;
// the scroll bars must still follow every new size.
TEST_F(EditCommandsTest, ScrollBarsFollowTheWindowSizeOfALongListing) {
  for (int lines : {200, 60'000}) {
    QStringList text(lines, "a short line");
    text[lines / 2] = QString(600, 'w');
    pane()->setPlainText(text.join('\n'));
    window.resize(900, 600);
    window.show();
    // The cursor at the end of the long line: the pane scrolls across to it.
    QTextCursor end(pane()->document()->findBlockByNumber(lines / 2));
    end.movePosition(QTextCursor::EndOfBlock);
    pane()->setTextCursor(end);
    pane()->ensureCursorVisible();
    QApplication::processEvents();
    QScrollBar* across = pane()->horizontalScrollBar();
    QScrollBar* down = pane()->verticalScrollBar();
    const int acrossAtFirst = across->maximum();
    const int downAtFirst = down->maximum();
    EXPECT_GT(acrossAtFirst, 0) << lines;
    EXPECT_EQ(across->value(), acrossAtFirst) << lines;

    window.resize(1200, 900);
    QApplication::processEvents();
    EXPECT_LT(across->maximum(), acrossAtFirst) << lines;
    EXPECT_LT(down->maximum(), downAtFirst) << lines;
    window.resize(900, 600);
    QApplication::processEvents();
    EXPECT_EQ(across->maximum(), acrossAtFirst) << lines;
    EXPECT_NEAR(down->maximum(), downAtFirst, 1) << lines;
    EXPECT_EQ(pane()->document()->blockCount(), lines);
  }
}

}  // namespace
}  // namespace tallyfold::test
