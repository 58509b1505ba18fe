// The Scan command in the window: the busy state, Cancel, the counts, the
// listing in the pane, and a report file equal to the command-line program's.

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTreeWidget>

#include "app/job.h"
#include "gui/main_window.h"
#include "gui/status_panels.h"
#include "support/process.h"
#include "tree_fixture.h"

namespace tallyfold::test {
namespace {

class ScanTest : public TreeTest {
 protected:
  std::string panel(gui::MainWindow& window, const char* name) {
    return child<QLabel>(&window, name)->text().toStdString();
  }
};

bool idle(gui::MainWindow& window) {
  return !window.scanning();
}

TEST_F(ScanTest, ReportFileEqualsTheCommandLineProgramsAndThePaneShowsIt) {
  makeTree();
  for (ReportType type : {ReportType::Details, ReportType::Tree, ReportType::FolderList}) {
    gui::MainWindow window;
    window.startUp();
    window.applyJob(jobOf(type));
    window.action("mnuScan")->trigger();
    EXPECT_TRUE(window.scanning());
    EXPECT_FALSE(window.action("mnuScan")->isEnabled());
    ASSERT_TRUE(waitUntil([&] { return idle(window); }));
    EXPECT_EQ(panel(window, "Panel1"), "Ready");
    EXPECT_TRUE(child<QLabel>(&window, "Panel4")->text().startsWith("Folders : "));

    // The scan saved the job as the default job; the CLI runs that job.
    ProcessResult cli =
        runProgram(cliPath(), {"-j", appFile("default.dif"), "-o", root / "cli.rtf"},
                   {{"TALLYFOLD_HOME", root / "app"}, {"XDG_CONFIG_HOME", root / "config"}});
    ASSERT_EQ(cli.exitCode, 0) << cli.err;
    EXPECT_EQ(readFile(appFile("tmpfile.dmp")), readFile(root / "cli.rtf"));
    QString pane = child<QPlainTextEdit>(&window, "rTxt")->toPlainText();
    EXPECT_TRUE(pane.contains("deeper")) << pane.toStdString();
    EXPECT_FALSE(child<QPlainTextEdit>(&window, "rTxt")->isReadOnly());
  }
}

TEST_F(ScanTest, TheColourChosenLastColoursTheNextReport) {
  makeTree();
  gui::MainWindow window;
  window.startUp();
  window.applyJob(jobOf(ReportType::FolderList));
  dialogs.colours.push_back(QColor(0x12, 0x34, 0x56));
  window.action("Toolbar2Button8")->trigger();
  window.action("mnuScan")->trigger();
  ASSERT_TRUE(waitUntil([&] { return idle(window); }));
  EXPECT_NE(readFile(appFile("tmpfile.dmp")).find("{\\colortbl;\\red18\\green52\\blue86;}"),
            std::string::npos);
  auto* pane = child<QPlainTextEdit>(&window, "rTxt");
  QTextCursor inListing(pane->document()->findBlockByNumber(2));
  inListing.movePosition(QTextCursor::EndOfBlock);
  EXPECT_EQ(inListing.charFormat().foreground().color(), QColor(0x12, 0x34, 0x56));
}

TEST_F(ScanTest, DetailsCountFilesAndFolders) {
  makeTree();
  gui::MainWindow window;
  window.startUp();
  window.applyJob(jobOf(ReportType::Details));
  window.action("Toolbar1Button1")->trigger();
  ASSERT_TRUE(waitUntil([&] { return idle(window); }));
  EXPECT_EQ(panel(window, "Panel3"), "Files : 4");
  EXPECT_FALSE(child<QLabel>(&window, "Panel2")->isVisible());
  EXPECT_TRUE(child<QPlainTextEdit>(&window, "rTxt")->toPlainText().contains("b.mp3"));
}

TEST_F(ScanTest, CancelAskedNoGoesOnAndYesEndsTerminated) {
  makeTree();
  gui::MainWindow window;
  window.startUp();
  window.applyJob(jobOf(ReportType::Details));
  dialogs.answers = {false};
  window.action("mnuScan")->trigger();
  window.action("mnuCancel")->trigger();
  ASSERT_TRUE(waitUntil([&] { return idle(window); }));
  EXPECT_EQ(panel(window, "Panel1"), "Ready");

  dialogs.answers = {true};
  window.action("mnuScan")->trigger();
  window.action("Toolbar1Button2")->trigger();
  ASSERT_TRUE(waitUntil([&] { return idle(window); }));
  EXPECT_EQ(panel(window, "Panel1"), "Scan Terminated.");
  EXPECT_TRUE(window.action("mnuScan")->isEnabled());
}

TEST_F(ScanTest, EmptyListAsksForAPathAndBadRowsAreNamedOnce) {
  gui::MainWindow window;
  window.startUp();
  whenModal([](QWidget* editor) { editor->close(); });
  window.action("mnuScan")->trigger();
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, "Please add scan path first.");
  EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(appFile("default.dif"))));

  // A job file's level that is no number: the job loads, the scan names the row.
  makeTree();
  root.writeFile("bad.dif", "Option1\r\nName\r\nAsc\r\ncourier new\r\n10\r\n" + (root / "tree") +
                                ",Yes,*.*,deep,3\r\n" + (root / "gone") + ",Yes,*.*,x,3\r\n");
  window.loadJobFile(root / "bad.dif");
  ASSERT_EQ(child<QTreeWidget>(&window, "SearchList")->topLevelItemCount(), 2);
  window.action("mnuScan")->trigger();
  ASSERT_TRUE(waitUntil([&] { return idle(window); }));
  ASSERT_EQ(dialogs.messages.size(), 2u);
  EXPECT_TRUE(dialogs.messages[1].text.contains(QString::fromStdString(root / "tree")));
  EXPECT_TRUE(dialogs.messages[1].text.contains(QString::fromStdString(root / "gone")));
}

TEST_F(ScanTest, StatusTextsComeInOrderAndReadyOnceAtTheEnd) {
  for (int i = 0; i < 40; ++i) root.writeFile("tree/file" + std::to_string(i) + ".txt", "x");
  gui::MainWindow window;
  window.startUp();
  window.applyJob(jobOf(ReportType::Details));
  QStringList texts;
  auto* status = child<gui::StatusPanels>(&window, "StatusBar1");
  QObject::connect(status, &gui::StatusPanels::panelTextChanged, [&](int panel, QString text) {
    if (panel == 1) texts << text;
  });
  window.action("mnuScan")->trigger();
  ASSERT_TRUE(waitUntil([&] { return idle(window); }));
  const qsizetype wait = texts.indexOf("please wait...");
  qsizetype formatting = -1;
  for (qsizetype i = 0; i < texts.size() && formatting < 0; ++i)
    if (texts[i].startsWith("Formatting list")) formatting = i;
  EXPECT_GE(wait, 0) << texts.join(" | ").toStdString();
  EXPECT_TRUE(formatting < 0 || wait < formatting) << texts.join(" | ").toStdString();
  EXPECT_EQ(texts.count("Ready"), 1) << texts.join(" | ").toStdString();
  EXPECT_EQ(texts.back(), "Ready");
  EXPECT_EQ(panel(window, "Panel3"), "Files : 40");
}

TEST_F(ScanTest, AScanThatListsNoFileSaysSo) {
  root.writeFile("tree/notes.txt", "x");
  gui::MainWindow window;
  window.startUp();
  Job job = jobOf(ReportType::Details);
  job.locations[0].fileTypes = ".mp3";
  window.applyJob(job);
  window.action("mnuScan")->trigger();
  ASSERT_TRUE(waitUntil([&] { return idle(window); }));
  EXPECT_EQ(panel(window, "Panel1"), "No files matched the filters of the scan locations.");
  root.writeFile("tree/song.mp3", "x");
  window.action("mnuScan")->trigger();
  ASSERT_TRUE(waitUntil([&] { return idle(window); }));
  EXPECT_EQ(panel(window, "Panel1"), "Ready");
}

}  // namespace
}  // namespace tallyfold::test
