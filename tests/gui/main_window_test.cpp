// The main window's start-up, shutdown and busy state, as the user meets them.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QRadioButton>
#include <QScreen>
#include <QToolButton>
#include <QTreeWidget>

#include "app/job.h"
#include "gui/main_window.h"
#include "gui/settings_window.h"
#include "gui/window_geometry.h"
#include "gui_fixture.h"
#include "platform/settings_store.h"

namespace tallyfold::test {
namespace {

using gui::MainWindow;

class MainWindowTest : public GuiTest {};

ScanLocation locationOf(const std::string& folder, bool subFolders, int level) {
  ScanLocation location;
  location.folder = folder;
  location.subFolders = subFolders;
  location.level = level;
  return location;
}

TEST_F(MainWindowTest, FirstStartShowsTheDefaultsAndEveryNamedControl) {
  MainWindow window;
  window.startUp();
  // No stored geometry: two thirds of the screen, in its middle.
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_EQ(
      window.size(),
      QSize(screen.width() * 2 / 3, screen.height() * 2 / 3).expandedTo(window.minimumSize()));
  EXPECT_EQ(QRect(window.pos(), window.size()).center(), screen.center());
  EXPECT_EQ(gui::firstStartGeometry({QRect(0, 0, 2400, 1500)}, QSize(600, 333)),
            QRect(400, 250, 1600, 1000));
  // The caption names the program's version, major and minor.
  const QStringList version = QString(TALLYFOLD_VERSION).split('.');
  EXPECT_EQ(window.windowTitle(), "Tallyfold v" + version[0] + "." + version[1]);
  EXPECT_EQ(child<QComboBox>(&window, "cmbFont")->currentText(), "courier new");
  EXPECT_EQ(child<QComboBox>(&window, "cmbFontSize")->currentText(), "10");
  EXPECT_EQ(child<QComboBox>(&window, "cmbSort")->currentText(), "Name");
  EXPECT_TRUE(child<QRadioButton>(&window, "Opt1")->isChecked());
  EXPECT_TRUE(child<QRadioButton>(&window, "optAsc")->isChecked());
  EXPECT_EQ(child<QRadioButton>(&window, "optDesc")->text(), "Descending");
  EXPECT_EQ(child<QTreeWidget>(&window, "SearchList")->topLevelItemCount(), 0);
  EXPECT_FALSE(child<QToolButton>(&window, "cmdRemove")->isEnabled());
  EXPECT_FALSE(window.action("mnuCancel")->isEnabled());
  EXPECT_EQ(child<QLabel>(&window, "Panel1")->text(),
            "Add search path and click on the scan button to start search.");
  EXPECT_EQ(child<QLabel>(&window, "Panel5")->text(), "00:00:00");
  EXPECT_TRUE(QFileInfo(QString::fromStdString(appFile(""))).isDir());
  for (const char* name :
       {"Toolbar1", "Toolbar2", "Picture1", "FrameRepType", "Frame1", "rTxt", "StatusBar1",
        "cmdAdd", "cmdExclude", "SettingsFrm", "ExcludeFrm", "Label2", "Opt2", "Opt3", "Opt4"})
    EXPECT_NE(window.findChild<QObject*>(name), nullptr) << name;
  EXPECT_EQ(window.minimumSize(), QSize(600, 333));

  // The other report types have no sort order to choose.
  child<QRadioButton>(&window, "Opt3")->click();
  EXPECT_FALSE(child<QComboBox>(&window, "cmbSort")->isEnabled());
  EXPECT_FALSE(child<QRadioButton>(&window, "optDesc")->isEnabled());
  child<QRadioButton>(&window, "Opt1")->click();
  EXPECT_TRUE(child<QComboBox>(&window, "cmbSort")->isEnabled());
}

TEST(WindowGeometry, APlaceNoScreenShowsIsMovedOntoTheFirstScreen) {
  const std::vector<QRect> screens = {QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
  // Anywhere a screen shows the top edge: kept, even partly off a screen.
  for (QRect kept : {QRect(40, 30, 900, 600), QRect(2000, 100, 900, 600), QRect(-800, 10, 900, 600),
                     QRect(1500, 1000, 900, 600)})
    EXPECT_EQ(gui::fittedToScreens(kept, screens), kept);
  // A monitor since unplugged, above every screen, or only a sliver showing.
  for (QRect lost : {QRect(3300, 0, 900, 600), QRect(100, -700, 900, 600),
                     QRect(-850, 10, 900, 600), QRect(100, 1070, 900, 600)})
    EXPECT_EQ(gui::fittedToScreens(lost, screens), QRect(510, 240, 900, 600));
  // Larger than the first screen: made to fit it.
  EXPECT_EQ(gui::fittedToScreens(QRect(5000, 0, 4000, 3000), screens), QRect(0, 0, 1920, 1080));
  EXPECT_EQ(gui::fittedToScreens(QRect(5000, 0, 900, 600), {}), QRect(5000, 0, 900, 600));
}

TEST_F(MainWindowTest, SecondStartRestoresGeometryJobAndSettings) {
  {
    MainWindow window;
    window.startUp();
    window.resize(900, 600);
    window.move(40, 30);
    Job job = window.currentJob();
    job.reportType = ReportType::TreeWithSize;
    job.ascending = false;
    job.fontSize = "12";
    job.locations = {locationOf(root / "a", true, 2), locationOf(root / "b", false, 0)};
    window.applyJob(job);
    auto* settings = child<gui::SettingsWindow>(&window, "SettingsFrm");
    child<QCheckBox>(settings, "f_CRC32")->setChecked(true);
    settings->saveToStore();
    window.action("mnuClose")->trigger();
  }
  MainWindow window;
  window.startUp();
  EXPECT_EQ(window.size(), QSize(900, 600));
  EXPECT_EQ(window.pos(), QPoint(40, 30));
  Job job = window.currentJob();
  EXPECT_EQ(job.reportType, ReportType::TreeWithSize);
  EXPECT_FALSE(job.ascending);
  EXPECT_EQ(job.fontSize, "12");
  ASSERT_EQ(job.locations.size(), 2u);
  EXPECT_EQ(job.locations[0].level, 2);
  EXPECT_FALSE(job.locations[1].subFolders);
  EXPECT_EQ(child<QTreeWidget>(&window, "SearchList")->topLevelItem(1)->text(1), "No");
  EXPECT_TRUE(child<QToolButton>(&window, "cmdRemove")->isEnabled());
  EXPECT_EQ(child<gui::SettingsWindow>(&window, "SettingsFrm")->settings().crc32, 1);
  SettingsStore store{std::string(kSettingsApplication)};
  EXPECT_EQ(store.get("WindowSize", "W"), "13500");

  // A place stored for a screen that is gone: the window comes back on one.
  ASSERT_TRUE(store.setMany("WindowSize", {{"L", "-3000000"}, {"T", "-3000000"}}));
  MainWindow moved;
  moved.startUp();
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_TRUE(screen.contains(QRect(moved.pos(), QSize(100, 20)))) << moved.pos().x();

  // A job named on the command line is opened instead of the default job.
  Job other;
  other.locations = {locationOf(root / "c", true, 0)};
  ASSERT_TRUE(saveJob(root / "other.dif", other));
  MainWindow second;
  second.startUp(root / "other.dif");
  ASSERT_EQ(second.currentJob().locations.size(), 1u);
  EXPECT_EQ(second.currentJob().locations[0].folder, root / "c");
}

TEST_F(MainWindowTest, ShutdownSaysWhenTheDefaultJobCannotBeSavedAndClosesAnyway) {
  MainWindow window;
  window.startUp();
  window.show();
  root.makeDir("app/default.dif/blocked");
  EXPECT_TRUE(window.close());
  ASSERT_FALSE(dialogs.messages.empty());
  EXPECT_EQ(dialogs.messages.back().title, "Error");
  EXPECT_TRUE(dialogs.messages.back().text.contains("default.dif"));
  EXPECT_FALSE(window.isVisible());
}

TEST_F(MainWindowTest, BusyStateLeavesOnlyCancelUsable) {
  MainWindow window;
  window.startUp();
  window.enableControls(false);
  for (const char* name : {"mnuScan", "mnuNew", "mnuOpen", "mnuSave", "mnuSaveAs", "mnuClose",
                           "mnuOptions", "Toolbar1Button1", "Toolbar1Button4"})
    EXPECT_FALSE(window.action(name)->isEnabled()) << name;
  EXPECT_TRUE(window.action("mnuCancel")->isEnabled());
  EXPECT_TRUE(window.action("Toolbar1Button2")->isEnabled());
  EXPECT_FALSE(child<QTreeWidget>(&window, "SearchList")->isEnabled());
  EXPECT_FALSE(child<QWidget>(&window, "FrameRepType")->isEnabled());
  EXPECT_TRUE(window.scanning());
  // Add, Remove and Exclusions stay clickable but do nothing.
  child<QToolButton>(&window, "cmdAdd")->click();
  EXPECT_EQ(dialogs.folderCalls, 0);
  window.enableControls(true);
  EXPECT_FALSE(window.scanning());
  EXPECT_TRUE(window.action("mnuScan")->isEnabled());
}

TEST_F(MainWindowTest, AQuietSessionReadsTheSettingsOnceAndLeavesThemAlone) {
  {
    MainWindow window;
    window.startUp();
    window.close();
  }
  // A store of many keys, as years of use leave it.
  std::string text = readFile(settingsFile());
  text += "\n[Many]\n";
  for (int i = 0; i < 20000; ++i) text += "key" + std::to_string(i) + "=value\n";
  root.writeFile("config/tallyfold/Corvane - Tallyfold.ini", text);
  struct stat before {};
  ASSERT_EQ(stat(settingsFile().c_str(), &before), 0);
  const uint64_t reads = SettingsStore::fileReads();
  const uint64_t writes = SettingsStore::fileWrites();
  {
    MainWindow window;
    window.startUp();
    window.show();
    QApplication::processEvents();
    window.close();
  }
  EXPECT_EQ(SettingsStore::fileReads() - reads, 1u);
  EXPECT_EQ(SettingsStore::fileWrites() - writes, 0u);
  struct stat after {};
  ASSERT_EQ(stat(settingsFile().c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
  EXPECT_EQ(readFile(settingsFile()), text);
}

}  // namespace
}  // namespace tallyfold::test
