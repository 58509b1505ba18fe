// MainFrm's session and job commands: start-up, shutdown, New, Open and Save
// Job, and the scan locations.

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
#include "gui/folder_window.h"
#include "gui/guarded_operation.h"
#include "gui/listing_pane.h"
#include "gui/main_window.h"
#include "gui/report_type_frame.h"
#include "gui/search_list.h"
#include "gui/status_panels.h"
#include "platform/app_folder.h"
#include "platform/settings_store.h"

namespace tallyfold::gui {

namespace {

constexpr char kJobFilter[] = "Tallyfold (*.dif)";
constexpr char kStartText[] = "Add search path and click on the scan button to start search.";

SettingsStore settingsStore() {
  return SettingsStore{std::string(kSettingsApplication)};
}

}  // namespace

void MainWindow::startUp(const QString& jobPath) {
  ensureApplicationFolder();
  restoreGeometryFromStore();
  margins_ = storedMargins(settingsStore());
  fillFontBoxes();
  reportType_->setSortField("Name");
  QString job = jobPath.isEmpty() ? QString::fromStdString(defaultJobPath()) : jobPath;
  if (!jobPath.isEmpty() || QFileInfo::exists(job)) loadJobFile(job);
  reportPath_ = reportFilePath();
}

void MainWindow::restoreGeometryFromStore() {
  std::vector<QRect> screens;
  for (const QScreen* screen : QGuiApplication::screens())
    screens.push_back(screen->availableGeometry());
  const QRect geometry = fittedToScreens(storedGeometry(settingsStore()), screens);
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
  job.locations = search_->locations();
  return job;
}

void MainWindow::applyJob(const Job& job) {
  reportType_->setReportType(job.reportType);
  reportType_->setSortField(QString::fromStdString(job.sort));
  reportType_->setAscending(job.ascending);
  font_->setCurrentText(QString::fromStdString(job.fontName));
  fontSize_->setCurrentText(QString::fromStdString(job.fontSize));
  search_->setLocations(job.locations);
  updateRemoveButton();
}

void MainWindow::newJob() {
  runGuarded(this, "New Session", [this] {
    search_->clear();
    updateRemoveButton();
    status_->setPanelText(1, kStartText);
    status_->hideCounts();
    status_->setPanelText(5, "00:00:00");
    pane_->stopLoading();
    pane_->clearListing();
  });
}

void MainWindow::loadJobFile(const QString& path) {
  newJob();
  Job job = currentJob();
  std::string error;
  if (!loadJob(path.toStdString(), job, &error))
    Dialogs::current().message(
        this, "Error",
        "The job file " + path + " could not be read: " + QString::fromStdString(error) + ".",
        MessageIcon::Critical);
  applyJob(job);
}

void MainWindow::openJob() {
  QString path = Dialogs::current().openFile(this, "Open Job", kJobFilter);
  if (!path.isEmpty()) loadJobFile(path);
}

void MainWindow::saveJobAs() {
  SettingsStore store = settingsStore();
  storeGeometry(store, QRect(pos(), size()));
  QString path = Dialogs::current().saveFile(this, "Save Job", kJobFilter, nullptr);
  if (path.isEmpty()) return;
  // A name typed without an extension gets the job files' own.
  if (QFileInfo(path).suffix().isEmpty()) path += ".dif";
  if (!saveJob(path.toStdString(), currentJob()))
    tellSaveFailed("The job", path, QString::fromLocal8Bit(std::strerror(errno)));
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
    FolderWindow editor(this);
    if (editor.exec() != QDialog::Accepted || editor.folderText().trimmed().isEmpty()) return;
    search_->addOrUpdate(editor.location());
    updateRemoveButton();
  });
}

void MainWindow::removeLocation() {
  if (scanning()) return;
  search_->removeSelected();
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
  pane_->stopLoading();
  saveDefaultJob();
  exclusions_->saveLists();
}

}  // namespace tallyfold::gui
