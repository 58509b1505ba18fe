// The Catalogue window with real catalogue files: scans added from the main
// window, the search as the user types, a stored folder listed into the pane,
// the media facts a media column makes the add keep, rename and remove, the
// comparison of two scans, and the setting that adds every scan.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>
#include <QTreeWidget>
#include <filesystem>

#include "app/job.h"
#include "catalogue/catalogue.h"
#include "gui/catalogue_window.h"
#include "gui/main_window.h"
#include "gui/settings_window.h"
#include "support/process.h"
#include "tree_fixture.h"

namespace tallyfold::test {
namespace {

using gui::CatalogueWindow;
using gui::MainWindow;

class CatalogueWindowTest : public TreeTest {
 protected:
  static void scanAndWait(MainWindow& window) {
    window.action("mnuScan")->trigger();
    ASSERT_TRUE(waitUntil([&] { return !window.scanning(); }));
  }
  static void addAndWait(MainWindow& window) {
    QSignalSpy ended(&window, &MainWindow::catalogueAddEnded);
    ASSERT_TRUE(window.action("cmdAddToCatalogue")->isEnabled());
    window.action("cmdAddToCatalogue")->trigger();
    ASSERT_TRUE(waitUntil([&] { return ended.count() == 1; }));
    ASSERT_TRUE(ended.at(0).at(0).toBool());
  }
  // A window with the tree scanned and added, count times.
  void scanAndAdd(MainWindow& window, int count = 1) {
    window.startUp();
    window.applyJob(jobOf(ReportType::Details));
    for (int i = 0; i < count; ++i) {
      scanAndWait(window);
      addAndWait(window);
    }
  }
  static CatalogueWindow* openCatalogue(MainWindow& window) {
    window.action("mnuCatalogue")->trigger();
    return child<CatalogueWindow>(&window, "CatalogueWindow");
  }
  static QTreeWidget* scanList(CatalogueWindow* catalogue) {
    return child<QTreeWidget>(catalogue, "catalogueScans");
  }
  static void selectScan(CatalogueWindow* catalogue, int row) {
    QTreeWidget* scans = scanList(catalogue);
    scans->setCurrentItem(scans->topLevelItem(row));
  }
  static QString statusOf(CatalogueWindow* catalogue) {
    return child<QLabel>(catalogue, "catalogueSearchStatus")->text();
  }
  // Types the text key by key, as a user would, and waits for the search's end.
  static bool typeAndWait(CatalogueWindow* catalogue, const QString& text) {
    auto* box = child<QLineEdit>(catalogue, "catalogueSearch");
    box->clear();
    QTest::keyClicks(box, text);
    return waitUntil([&] {
      const QString status = statusOf(catalogue);
      return status.endsWith("found.") || status == "Nothing found.";
    });
  }
  static QStringList column(QAbstractItemModel* model, int column) {
    QStringList texts;
    for (int row = 0; row < model->rowCount(); ++row)
      texts << model->index(row, column).data().toString();
    return texts;
  }
  std::vector<ScanSummary> storedScans() const {
    CatalogueError error;
    auto catalogue = Catalogue::open(appFile("catalogue.sqlite"), CatalogueAccess::ReadOnly, error);
    EXPECT_TRUE(catalogue) << error.message;
    std::vector<ScanSummary> scans;
    if (catalogue) {
      EXPECT_TRUE(catalogue->listScans(scans, error)) << error.message;
    }
    return scans;
  }
};

TEST_F(CatalogueWindowTest, AddAfterAScanStoresItOnceAndTheWindowListsIt) {
  makeTree();
  MainWindow window;
  window.startUp();
  window.applyJob(jobOf(ReportType::Details));
  // Nothing to add before a scan.
  EXPECT_FALSE(window.action("cmdAddToCatalogue")->isEnabled());
  scanAndWait(window);
  addAndWait(window);
  // The same records twice would count every file twice.
  EXPECT_FALSE(window.action("cmdAddToCatalogue")->isEnabled());
  EXPECT_TRUE(child<QLabel>(&window, "Panel1")->text().startsWith("Added to the catalogue"));

  const std::vector<ScanSummary> stored = storedScans();
  ASSERT_EQ(stored.size(), 1u);
  EXPECT_EQ(stored[0].label, "tree");
  EXPECT_EQ(stored[0].files, 4u);
  EXPECT_EQ(stored[0].bytes, 14u);

  CatalogueWindow* catalogue = openCatalogue(window);
  ASSERT_NE(catalogue, nullptr);
  EXPECT_TRUE(catalogue->isVisible());
  QTreeWidget* scans = scanList(catalogue);
  ASSERT_EQ(scans->topLevelItemCount(), 1);
  EXPECT_EQ(scans->topLevelItem(0)->text(0), "tree");
  EXPECT_EQ(scans->topLevelItem(0)->text(3), "4");
  EXPECT_EQ(scans->topLevelItem(0)->text(4), "14");

  // A second scan added while the window is open shows at once; the toolbar
  // button brings the same window up.
  scanAndWait(window);
  addAndWait(window);
  EXPECT_EQ(scans->topLevelItemCount(), 2);
  window.action("Toolbar1Button7")->trigger();
  EXPECT_EQ(window.findChildren<CatalogueWindow*>().size(), 1);
}

TEST_F(CatalogueWindowTest, SearchShowsMatchesOfEveryScanAsTheUserTypes) {
  makeTree();
  root.writeFile("tree/100%_[odd].txt", "x");
  MainWindow window;
  scanAndAdd(window, 2);
  CatalogueWindow* catalogue = openCatalogue(window);
  auto* results = child<QTreeView>(catalogue, "catalogueResults");

  ASSERT_TRUE(typeAndWait(catalogue, "C.T"));
  EXPECT_EQ(column(results->model(), 0),
            QStringList({QString::fromStdString(root / "tree/sub/c.txt"),
                         QString::fromStdString(root / "tree/sub/c.txt")}));
  EXPECT_EQ(column(results->model(), 1), QStringList({"3", "3"}));
  EXPECT_EQ(statusOf(catalogue), "2 found.");

  ASSERT_TRUE(typeAndWait(catalogue, "*.mp3"));
  EXPECT_EQ(results->model()->rowCount(), 2);
  ASSERT_TRUE(typeAndWait(catalogue, "0%_"));
  ASSERT_EQ(results->model()->rowCount(), 2);
  EXPECT_TRUE(column(results->model(), 0)[0].endsWith("100%_[odd].txt"));

  // Each key starts the search again: what is left is the last text's answer.
  ASSERT_TRUE(typeAndWait(catalogue, "zzzz"));
  EXPECT_EQ(results->model()->rowCount(), 0);
  EXPECT_EQ(statusOf(catalogue), "Nothing found.");
  // An emptied box shows nothing and searches nothing.
  child<QLineEdit>(catalogue, "catalogueSearch")->clear();
  EXPECT_EQ(results->model()->rowCount(), 0);
  EXPECT_EQ(statusOf(catalogue), "");
}

TEST_F(CatalogueWindowTest, AStoredFolderOpensLazilyAndListsInThePaneAsAScanOfItWould) {
  makeTree();
  MainWindow window;
  scanAndAdd(window);
  // The scan was made long before it is listed again.
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(appFile("catalogue.sqlite").c_str(), &db), SQLITE_OK);
  EXPECT_EQ(sqlite3_exec(db, "UPDATE scan SET time = 1500000000", nullptr, nullptr, nullptr),
            SQLITE_OK);
  sqlite3_close(db);
  CatalogueWindow* catalogue = openCatalogue(window);
  selectScan(catalogue, 0);
  child<QPushButton>(catalogue, "catalogueOpen")->click();
  auto* tree = child<QTreeView>(catalogue, "catalogueTree");
  QAbstractItemModel* model = tree->model();
  ASSERT_EQ(model->rowCount(), 1);
  const QModelIndex top = model->index(0, 0);
  EXPECT_EQ(top.data().toString(), QString::fromStdString(root / "tree"));
  EXPECT_EQ(model->index(0, 1).data().toString(), "14");
  EXPECT_EQ(model->index(0, 2).data().toString(), "4");
  // Sub-folders are read when their folder opens.
  EXPECT_TRUE(model->hasChildren(top));
  tree->expand(top);
  ASSERT_TRUE(waitUntil([&] { return model->rowCount(top) == 1; }));
  const QModelIndex sub = model->index(0, 0, top);
  EXPECT_EQ(sub.data().toString(), "sub");
  EXPECT_EQ(model->index(0, 1, top).data().toString(), "6");
  EXPECT_EQ(model->index(0, 2, top).data().toString(), "2");

  // Listed as the folder list chosen in the main window: the same report as
  // the command-line program makes of the folder itself.
  Job listed = jobOf(ReportType::FolderList);
  window.applyJob(listed);
  tree->setCurrentIndex(sub);
  child<QPushButton>(catalogue, "catalogueListFolder")->click();
  EXPECT_TRUE(window.scanning());
  ASSERT_TRUE(waitUntil([&] { return !window.scanning(); }));
  const QString pane = child<QPlainTextEdit>(&window, "rTxt")->toPlainText();
  EXPECT_TRUE(pane.contains("deeper")) << pane.toStdString();
  EXPECT_FALSE(pane.contains("a.txt")) << pane.toStdString();
  Job live = window.currentJob();
  live.locations[0].folder = root / "tree/sub";
  ASSERT_TRUE(saveJob(root / "sub.dif", live));
  ProcessResult cli =
      runProgram(cliPath(), {"-j", root / "sub.dif", "-o", root / "cli.rtf"},
                 {{"TALLYFOLD_HOME", root / "app"}, {"XDG_CONFIG_HOME", root / "config"}});
  ASSERT_EQ(cli.exitCode, 0) << cli.err;
  EXPECT_EQ(readFile(appFile("tmpfile.dmp")), readFile(root / "cli.rtf"));
  // Records that came from the catalogue are not added to it again.
  EXPECT_FALSE(window.action("cmdAddToCatalogue")->isEnabled());
  // A listing saved from them names when the scan was made, not when it was
  // listed.
  dialogs.saveFiles = {QString::fromStdString(root / "stored")};
  dialogs.selectedFilter = "JSON listing(*.json)";
  window.action("mnuSaveAs")->trigger();
  const std::string listing = readFile(root / "stored.json");
  EXPECT_NE(listing.find("\"scanned\":\"2017-07-1"), std::string::npos) << listing.substr(0, 300);
  EXPECT_NE(listing.find("\"name\":\"c.txt\""), std::string::npos) << listing;
}

// A media column on in the settings makes the window's add keep the media
// facts, read from the file as the reports read them.
TEST_F(CatalogueWindowTest, AddWithAMediaColumnOnKeepsTheMediaFacts) {
  makeTree();
  const ProcessResult made =
      runProgram("/bin/sh",
                 {"-c",
                  "command -v convert >/dev/null || exit 77; convert -size 64x48 "
                  "xc:red tree/plain.png"},
                 {}, root.path());
  if (made.exitCode == 77) GTEST_SKIP() << "needs ImageMagick to make the image";
  ASSERT_EQ(made.exitCode, 0) << made.err;
  MainWindow window;
  window.startUp();
  auto* settings = child<gui::SettingsWindow>(&window, "SettingsFrm");
  child<QCheckBox>(settings, "f_Dimensions")->setChecked(true);
  settings->saveToStore();
  window.applyJob(jobOf(ReportType::Details));
  scanAndWait(window);
  addAndWait(window);

  CatalogueError error;
  auto catalogue = Catalogue::open(appFile("catalogue.sqlite"), CatalogueAccess::ReadOnly, error);
  ASSERT_TRUE(catalogue) << error.message;
  StoredScan stored;
  ASSERT_TRUE(catalogue->loadScan(1, 0, stored, nullptr, error)) << error.message;
  EXPECT_TRUE(stored.info.summary.columns.media);
  EXPECT_FALSE(stored.info.summary.columns.crc32);
  const RecordStore& store = stored.scan.store;
  bool seen = false;
  for (RecordRef record : stored.scan.records) {
    if (record.isFolderRecord() || store.name(record) != "plain.png") continue;
    FileDetails details;
    stored.details.details(record, details);
    EXPECT_EQ(details.media.width, 64u);
    EXPECT_EQ(details.media.height, 48u);
    seen = true;
  }
  EXPECT_TRUE(seen);
}

// Closing the window does not wait for an add that reads every file's
// bytes: the add is rolled back and the catalogue keeps what it had.
TEST_F(CatalogueWindowTest, ClosingTheWindowDuringAnAddRollsItBack) {
  makeTree();
  // Hours of checksums on a real disk; the holes read fast, but still take
  // far longer than a close.
  std::filesystem::resize_file(root.writeFile("tree/huge.bin", ""), uint64_t{64} << 30);
  MainWindow window;
  window.startUp();
  auto* settings = child<gui::SettingsWindow>(&window, "SettingsFrm");
  child<QCheckBox>(settings, "f_CRC32")->setChecked(true);
  settings->saveToStore();
  // The folder list reads no checksum; the add does.
  window.applyJob(jobOf(ReportType::FolderList));
  scanAndWait(window);
  ASSERT_TRUE(window.action("cmdAddToCatalogue")->isEnabled());
  window.action("cmdAddToCatalogue")->trigger();
  window.close();
  EXPECT_TRUE(storedScans().empty());
}

TEST_F(CatalogueWindowTest, RenameAndRemoveAScanWithAConfirmation) {
  makeTree();
  MainWindow window;
  scanAndAdd(window, 2);
  CatalogueWindow* catalogue = openCatalogue(window);
  QTreeWidget* scans = scanList(catalogue);
  EXPECT_FALSE(child<QPushButton>(catalogue, "catalogueRemove")->isEnabled());

  selectScan(catalogue, 1);
  dialogs.inputs.push_back("  Backup disk  ");
  child<QPushButton>(catalogue, "catalogueRename")->click();
  ASSERT_EQ(dialogs.prompts.size(), 1);
  EXPECT_TRUE(dialogs.prompts[0].contains("\"tree\"")) << dialogs.prompts[0].toStdString();
  EXPECT_EQ(scans->topLevelItem(1)->text(0), "Backup disk");
  EXPECT_EQ(storedScans()[1].label, "Backup disk");
  // A cancelled prompt changes nothing.
  dialogs.inputs.push_back("");
  child<QPushButton>(catalogue, "catalogueRename")->click();
  EXPECT_EQ(storedScans()[1].label, "Backup disk");

  selectScan(catalogue, 0);
  dialogs.answers.push_back(false);
  child<QPushButton>(catalogue, "catalogueRemove")->click();
  EXPECT_EQ(storedScans().size(), 2u);
  // The No answer was used up: the question was asked.
  EXPECT_TRUE(dialogs.answers.empty());
  dialogs.answers.push_back(true);
  child<QPushButton>(catalogue, "catalogueRemove")->click();
  const std::vector<ScanSummary> left = storedScans();
  ASSERT_EQ(left.size(), 1u);
  EXPECT_EQ(left[0].label, "Backup disk");
  ASSERT_EQ(scans->topLevelItemCount(), 1);
  EXPECT_EQ(scans->topLevelItem(0)->text(0), "Backup disk");
}

TEST_F(CatalogueWindowTest, CompareWithAnEarlierScanListsTheDifferences) {
  makeTree();
  MainWindow window;
  scanAndAdd(window);
  root.writeFile("tree/new.txt", "fresh");
  root.writeFile("tree/a.txt", "alpha, longer now");
  ASSERT_EQ(std::remove((root / "tree/b.mp3").c_str()), 0);
  scanAndWait(window);
  addAndWait(window);

  CatalogueWindow* catalogue = openCatalogue(window);
  selectScan(catalogue, 1);
  QString offered;
  whenModal([&](QWidget* modal) {
    auto* box = modal->findChild<QComboBox*>();
    ASSERT_NE(box, nullptr);
    offered = box->currentText();
    static_cast<QInputDialog*>(modal)->accept();
  });
  child<QPushButton>(catalogue, "catalogueCompare")->click();
  EXPECT_TRUE(offered.startsWith("tree")) << offered.toStdString();
  auto* differences = child<QTreeWidget>(catalogue, "catalogueDifferences");
  ASSERT_TRUE(waitUntil([&] { return differences->topLevelItemCount() == 3; }));
  QStringList rows;
  for (int row = 0; row < 3; ++row)
    rows << differences->topLevelItem(row)->text(0) + " " + differences->topLevelItem(row)->text(1);
  EXPECT_EQ(rows, QStringList({"Changed a.txt", "Removed b.mp3", "Added new.txt"}));
  EXPECT_TRUE(
      child<QLabel>(catalogue, "catalogueDifferencesTitle")->text().endsWith("3 differences."));
}

TEST_F(CatalogueWindowTest, TheSettingAddsEveryScanAndIsKeptInTheStore) {
  makeTree();
  {
    gui::SettingsWindow settings(nullptr);
    EXPECT_FALSE(child<QCheckBox>(&settings, "catalogueAddEveryScan")->isChecked());
    child<QCheckBox>(&settings, "catalogueAddEveryScan")->setChecked(true);
    child<QPushButton>(&settings, "Command1")->click();
  }
  MainWindow window;
  window.startUp();
  window.applyJob(jobOf(ReportType::Tree));
  QSignalSpy ended(&window, &MainWindow::catalogueAddEnded);
  scanAndWait(window);
  ASSERT_TRUE(waitUntil([&] { return ended.count() == 1; }));
  scanAndWait(window);
  ASSERT_TRUE(waitUntil([&] { return ended.count() == 2; }));
  EXPECT_EQ(storedScans().size(), 2u);
  gui::SettingsWindow reloaded(nullptr);
  EXPECT_TRUE(child<QCheckBox>(&reloaded, "catalogueAddEveryScan")->isChecked());
}

}  // namespace
}  // namespace tallyfold::test
