// The main window's session and job commands: start-up, shutdown, New, Open
// and Save Job, and the scan locations.

#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>
#include <QToolButton>
#include <cerrno>
#include <cstring>

#include "app/report_file.h"
#include "gui/dialogs.h"
#include "gui/exclusion_window.h"
#include "gui/guarded_operation.h"
#include "gui/listing_pane.h"
#include "gui/location_editor.h"
#include "gui/location_list.h"
#include "gui/main_window.h"
#include "gui/report_type_frame.h"
#include "gui/status_panels.h"
#include "platform/app_folder.h"
#include "platform/file_facts.h"
#include "platform/settings_store.h"

namespace tallyfold::gui {

namespace {

constexpr char kJobFilter[] = "Tallyfold (*.dif)";
constexpr char kStartText[] = "Add search path and click on the scan button to start search.";

SettingsStore settingsStore() {
  return SettingsStore{std::string(kSettingsApplication)};
}

}  // namespace

void MainWindow::startUp(const std::string& jobPath) {
  ensureApplicationFolder();
  restoreGeometryFromStore();
  margins_ = storedMargins(settingsStore());
  loadRecentJobs();
  fillFontBoxes();
  reportType_->setSortField("Name");
  if (!jobPath.empty()) {
    if (loadJobFile(jobPath)) rememberJob(jobPath);
  } else if (statPath(defaultJobPath())) {
    loadJobFile(defaultJobPath());
  }
  reportPath_ = reportFilePath();
}

void MainWindow::restoreGeometryFromStore() {
  std::vector<QRect> screens;
  for (const QScreen* screen : QGuiApplication::screens())
    screens.push_back(screen->availableGeometry());
  const QRect geometry = fittedToScreens(
      storedGeometry(settingsStore()).value_or(firstStartGeometry(screens, minimumSize())),
      screens);
  resize(geometry.size());
  move(geometry.topLeft());
}

void MainWindow::fillFontBoxes() {
  font_->addItems(QFontDatabase::families());
  font_->setCurrentText("courier new");
  for (int size = 8; size <= 20; size += 2) fontSize_->addItem(QString::number(size));
  fontSize_->setCurrentText("10");
}

Job MainWindow::currentJob() const {
  Job job;
  job.reportType = reportType_->reportType();
  job.sort = reportType_->sortField().toStdString();
  job.ascending = reportType_->ascending();
  job.fontName = font_->currentText().toStdString();
  job.fontSize = fontSize_->currentText().toStdString();
  job.locations = locations_->locations();
  return job;
}

void MainWindow::applyJob(const Job& job) {
  reportType_->setReportType(job.reportType);
  reportType_->setSortField(QString::fromStdString(job.sort));
  reportType_->setAscending(job.ascending);
  font_->setCurrentText(QString::fromStdString(job.fontName));
  fontSize_->setCurrentText(QString::fromStdString(job.fontSize));
  locations_->setLocations(job.locations);
  updateRemoveButton();
}

void MainWindow::newJob() {
  runGuarded(this, "New Session", [this] {
    locations_->clear();
    updateRemoveButton();
    status_->setPanelText(1, kStartText);
    status_->hideCounts();
    status_->setPanelText(5, "00:00:00");
    pane_->stopLoading();
    pane_->clearListing();
  });
}

bool MainWindow::loadJobFile(const std::string& path) {
  newJob();
  Job job = currentJob();
  std::string error;
  const bool loaded = loadJob(path, job, &error);
  if (!loaded)
    Dialogs::current().message(this, "Error",
                               "The job file " + LocationList::displayedFolder(path) +
                                   " could not be read: " + QString::fromStdString(error) + ".",
                               MessageIcon::Critical);
  applyJob(job);
  return loaded;
}

void MainWindow::openJob() {
  QString path = Dialogs::current().openFile(this, "Open Job", kJobFilter);
  if (path.isEmpty()) return;
  if (loadJobFile(path.toStdString())) rememberJob(path.toStdString());
}

void MainWindow::saveJobAs() {
  SettingsStore store = settingsStore();
  storeGeometry(store, QRect(pos(), size()));
  QString path = Dialogs::current().saveFile(this, "Save Job", kJobFilter, nullptr);
  if (path.isEmpty()) return;
  // A name typed without an extension gets the job files' own.
  if (QFileInfo(path).suffix().isEmpty()) path += ".dif";
  if (!saveJob(path.toStdString(), currentJob())) {
    tellSaveFailed("The job", path, QString::fromLocal8Bit(std::strerror(errno)));
    return;
  }
  rememberJob(path.toStdString());
}

bool MainWindow::saveDefaultJob() {
  SettingsStore store = settingsStore();
  storeGeometry(store, QRect(pos(), size()));
  ensureApplicationFolder();
  std::string path = defaultJobPath();
  if (saveJob(path, currentJob())) return true;
  tellSaveFailed("The job", QString::fromStdString(path),
                 QString::fromLocal8Bit(std::strerror(errno)));
  return false;
}

void MainWindow::tellSaveFailed(const QString& what, const QString& path, const QString& reason) {
  Dialogs::current().message(this, "Error",
                             what + " could not be saved to " + path + ": " + reason + ".",
                             MessageIcon::Critical);
}

void MainWindow::addLocation() {
  if (scanning()) return;
  runGuarded(this, "Add Folders", [this] {
    LocationEditor editor(this);
    if (editor.exec() != QDialog::Accepted || editor.folderText().trimmed().isEmpty()) return;
    locations_->addOrUpdate(editor.location());
    updateRemoveButton();
  });
}

void MainWindow::editLocation(int row) {
  if (scanning() || row < 0 || row >= locations_->topLevelItemCount()) return;
  runGuarded(this, "Add Folders", [this, row] {
    LocationEditor editor(this);
    const ScanLocation before = locations_->locationAt(row);
    editor.editLocation(before);
    if (editor.exec() != QDialog::Accepted || editor.folderText().trimmed().isEmpty()) return;
    ScanLocation edited = editor.location();
    edited.scanned = before.scanned;
    locations_->replaceAt(row, edited);
    updateRemoveButton();
  });
}

// Folders dropped on the list: each a location of every file at every level,
// or the update of the row that names it.
void MainWindow::addFolders(const std::vector<std::string>& folders) {
  if (scanning()) return;
  for (const std::string& folder : folders) {
    ScanLocation location;
    location.folder = folder;
    locations_->addOrUpdate(location);
  }
  updateRemoveButton();
}

void MainWindow::removeLocation() {
  if (scanning()) return;
  locations_->removeSelected();
  updateRemoveButton();
}

void MainWindow::showExclusions() {
  if (scanning()) return;
  exclusions_->exec();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  shutDown();
  event->accept();
}

void MainWindow::shutDown() {
  // A run still going is stopped first, so the default job is not saved
  // beside a worker that still reads the job.
  if (runner_.running()) {
    runner_.control().requestStop();
    runner_.finish();
  }
  // An add still going is rolled back: the catalogue keeps the scans it had.
  if (catalogueTask_.running()) {
    addCancel_ = true;
    catalogueTask_.wait();
  }
  pane_->stopLoading();
  saveDefaultJob();
  exclusions_->saveLists();
}

}  // namespace tallyfold::gui
