// The location list as users meet it: ticked and unticked rows, editing a row
// by double-click or Enter, folders dropped from a file manager, rows a job
// file wrote by hand, names that are no UTF-8, the column widths and the
// Recent Jobs of the File menu.

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include "app/job.h"
#include "gui/location_list.h"
#include "gui/main_window.h"
#include "gui_fixture.h"
#include "platform/settings_store.h"

namespace tallyfold::test {
namespace {

class LocationListTest : public GuiTest {
 protected:
  QTreeWidget* list(gui::MainWindow& window) { return child<QTreeWidget>(&window, "SearchList"); }
  std::string jobText(const std::string& rows) {
    return "Option1\r\nName\r\nAsc\r\ncourier new\r\n10\r\n" + rows;
  }
  bool scanAndWait(gui::MainWindow& window) {
    window.action("mnuScan")->trigger();
    return waitUntil([&] { return !window.scanning(); });
  }
  QString pane(gui::MainWindow& window) {
    return child<QPlainTextEdit>(&window, "rTxt")->toPlainText();
  }
};

TEST_F(LocationListTest, AnUntickedRowIsKeptInTheJobButNotScanned) {
  root.writeFile("music/song.mp3", "x");
  root.writeFile("photos/picture.jpg", "y");
  gui::MainWindow window;
  window.startUp();
  ASSERT_TRUE(window.loadJobFile(
      root.writeFile("two.dif", jobText(root / "music" + ",Yes,*.*,All Levels,3\r\n" +
                                        root / "photos" + ",Yes,*.*,All Levels,4\r\n"))));
  QTreeWidget* rows = list(window);
  EXPECT_EQ(rows->topLevelItem(0)->checkState(0), Qt::Checked);
  EXPECT_EQ(rows->topLevelItem(1)->checkState(0), Qt::Unchecked);
  ASSERT_TRUE(scanAndWait(window));
  EXPECT_TRUE(pane(window).contains("song.mp3"));
  EXPECT_FALSE(pane(window).contains("picture.jpg"));

  // The user's ticks decide the next scan and are saved as the job's icons.
  rows->topLevelItem(0)->setCheckState(0, Qt::Unchecked);
  rows->topLevelItem(1)->setCheckState(0, Qt::Checked);
  ASSERT_TRUE(scanAndWait(window));
  EXPECT_FALSE(pane(window).contains("song.mp3"));
  EXPECT_TRUE(pane(window).contains("picture.jpg"));
  EXPECT_EQ(readFile(appFile("default.dif")),
            jobText(root / "music" + ",Yes,*.*,All Levels,4\r\n" + root / "photos" +
                    ",Yes,*.*,All Levels,3\r\n"));
}

TEST_F(LocationListTest, RowsOfAJobFileKeepTheirTextsAndTheirBytes) {
  // A folder whose name is no UTF-8, and cells the editor would not write.
  const std::string odd = root / "data/x\xFFy";
  root.writeFile("data/x\xFFy/inside.txt", "z");
  const std::string rows =
      root / "Music" + ",yes,*.*,All Levels,3\r\n" + odd + ",Yes,*.*,All Levels,3\r\n";
  gui::MainWindow window;
  window.startUp();
  ASSERT_TRUE(window.loadJobFile(root.writeFile("kept.dif", jobText(rows))));
  QTreeWidgetItem* music = list(window)->topLevelItem(0);
  EXPECT_EQ(music->text(1), "yes");
  EXPECT_EQ(music->text(3), "All Levels");
  EXPECT_EQ(list(window)->topLevelItem(1)->text(0),
            QString::fromStdString(root / "data/x\\xFFy"));  // shown escaped
  ASSERT_TRUE(scanAndWait(window));
  EXPECT_TRUE(pane(window).contains("inside.txt"));
  EXPECT_EQ(readFile(appFile("default.dif")), jobText(rows));

  // Edited by Enter and confirmed as it stands: the folder keeps its bytes.
  list(window)->setFocus();
  list(window)->setCurrentItem(list(window)->topLevelItem(1));
  bool shown = false;
  whenModal([&](QWidget* editor) {
    shown = true;
    child<QPushButton>(editor, "cmdOK")->click();
  });
  QTest::keyClick(list(window), Qt::Key_Return);
  ASSERT_TRUE(waitUntil([&] { return shown && QApplication::activeModalWidget() == nullptr; }));
  EXPECT_EQ(dialogs.folderCalls, 0);  // an edit opens no chooser
  ASSERT_EQ(window.currentJob().locations.size(), 2u);
  EXPECT_EQ(window.currentJob().locations[1].folder, odd);
}

TEST_F(LocationListTest, DoubleClickEditsTheRowInPlace) {
  gui::MainWindow window;
  window.startUp();
  ScanLocation music, photos;
  music.folder = root / "Music";
  music.level = 2;
  music.fileTypes = ".mp3;.flac";  // .flac is not in the editor's list
  photos.folder = root / "Photos";
  Job job = window.currentJob();
  job.locations = {music, photos};
  window.applyJob(job);
  window.show();
  ASSERT_TRUE(waitUntil([&] { return list(window)->viewport()->isVisible(); }));
  whenModal([&](QWidget* editor) {
    EXPECT_FALSE(child<QCheckBox>(editor, "Check2")->isChecked());
    EXPECT_EQ(child<QLineEdit>(editor, "Text2")->text(), "2");
    child<QCheckBox>(editor, "Check2")->setChecked(true);
    child<QLineEdit>(editor, "Text1")->setText(QString::fromStdString(root / "Albums"));
    child<QPushButton>(editor, "cmdOK")->click();
  });
  QTreeWidget* rows = list(window);
  const QRect cell = rows->visualItemRect(rows->topLevelItem(0));
  // As a real double-click comes: a press and release, then the double-click.
  QTest::mouseClick(rows->viewport(), Qt::LeftButton, {}, cell.center());
  QTest::mouseDClick(rows->viewport(), Qt::LeftButton, {}, cell.center());
  ASSERT_TRUE(waitUntil([&] { return rows->topLevelItem(0)->text(3) == "All Levels"; }, 5000));
  ASSERT_EQ(rows->topLevelItemCount(), 2);
  const ScanLocation edited = window.currentJob().locations[0];
  EXPECT_EQ(edited.folder, root / "Albums");  // in the place of the row edited
  EXPECT_EQ(edited.fileTypes, ".mp3;.flac");
  EXPECT_EQ(edited.level, ScanLocation::kAllLevels);
}

TEST_F(LocationListTest, FoldersDroppedFromAFileManagerBecomeLocations) {
  root.makeDir("Albums");
  root.makeDir("odd\xFFname");
  root.writeFile("a-file.txt", "not a folder");
  const QByteArray uris = QByteArray("# dragged from a file manager\r\nfile://") +
                          QByteArray::fromStdString(root / "Albums") + "\r\nfile://localhost" +
                          QByteArray::fromStdString(root.path()) + "/odd%FFname\r\nfile://" +
                          QByteArray::fromStdString(root / "a-file.txt") +
                          "\r\nhttps://example.org/\r\n";
  EXPECT_EQ(gui::LocationList::foldersOfUriList(uris),
            (std::vector<std::string>{root / "Albums", root / "odd\xFFname"}));

  gui::MainWindow window;
  window.startUp();
  window.show();
  QTreeWidget* rows = list(window);
  auto* data = new QMimeData;
  data->setData("text/uri-list", uris);
  QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, data, Qt::LeftButton, {});
  QApplication::sendEvent(rows->viewport(), &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(5, 5), Qt::CopyAction, data, Qt::LeftButton, {});
  QApplication::sendEvent(rows->viewport(), &drop);
  ASSERT_EQ(rows->topLevelItemCount(), 2);
  const std::vector<ScanLocation> locations = window.currentJob().locations;
  EXPECT_EQ(locations[1].folder, root / "odd\xFFname");
  EXPECT_EQ(rows->topLevelItem(0)->text(3), "All Levels");
  EXPECT_TRUE(child<QToolButton>(&window, "cmdRemove")->isEnabled());
  delete data;
}

TEST_F(LocationListTest, TheFolderColumnTakesTheSpareWidth) {
  gui::MainWindow window;
  window.startUp();
  window.resize(1200, 700);
  window.show();
  QTreeWidget* rows = list(window);
  ASSERT_TRUE(waitUntil([&] { return rows->isVisible(); }));
  QApplication::processEvents();
  EXPECT_FALSE(rows->horizontalScrollBar()->isVisible());
  const int others = rows->header()->sectionSize(1) + rows->header()->sectionSize(2) +
                     rows->header()->sectionSize(3);
  EXPECT_EQ(rows->header()->sectionSize(0) + others, rows->viewport()->width());
  EXPECT_GT(rows->header()->sectionSize(0), others);
}

TEST_F(LocationListTest, RecentJobsListTheLastJobsNewestFirst) {
  const std::string first = root.writeFile("first.dif", jobText(root / "a,Yes,*.*,,3\r\n"));
  const std::string second = root.writeFile("second.dif", jobText(root / "b,Yes,*.*,,3\r\n"));
  {
    gui::MainWindow window;
    window.startUp(first);
    dialogs.openFiles = {QString::fromStdString(second)};
    window.action("mnuOpen")->trigger();
    dialogs.saveFiles = {QString::fromStdString(first)};
    window.action("mnuSave")->trigger();
    EXPECT_EQ(window.recentJobs(), (std::vector<std::string>{first, second}));
    window.close();
  }
  gui::MainWindow window;
  window.startUp();
  EXPECT_EQ(window.recentJobs(), (std::vector<std::string>{first, second}));
  auto* menu = child<QMenu>(&window, "mnuRecent");
  ASSERT_EQ(menu->actions().size(), 2);
  EXPECT_TRUE(menu->actions()[1]->text().endsWith("second.dif"));
  menu->actions()[1]->trigger();
  ASSERT_TRUE(waitUntil([&] { return window.recentJobs().front() == second; }, 5000));
  ASSERT_EQ(window.currentJob().locations.size(), 1u);
  EXPECT_EQ(window.currentJob().locations[0].folder, root / "b");
}

}  // namespace
}  // namespace tallyfold::test
