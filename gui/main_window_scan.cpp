// The main window's Scan and Cancel: the run goes on a background task that
// tells the window its status texts and its end, then the report is streamed
// into the listing pane.

#include <QComboBox>
#include <QStringList>
#include <cerrno>
#include <cstring>

#include "gui/dialogs.h"
#include "gui/exclusion_window.h"
#include "gui/guarded_operation.h"
#include "gui/listing_pane.h"
#include "gui/location_list.h"
#include "gui/main_window.h"
#include "gui/save_as.h"
#include "gui/settings_window.h"
#include "gui/status_panels.h"
#include "platform/app_folder.h"
#include "platform/printable_text.h"
#include "platform/settings_store.h"

namespace tallyfold::gui {

namespace {

constexpr int kListedFailures = 40;

QString failureLine(const ReadFailure& failure) {
  QString reason = failure.problem.empty() ? QString::fromLocal8Bit(std::strerror(failure.error))
                                           : QString::fromStdString(failure.problem);
  return QString::fromStdString(printableText(failure.path)) + ": " + reason;
}

}  // namespace

void MainWindow::scan() {
  if (scanning()) return;
  if (locations_->topLevelItemCount() == 0) {
    saveDefaultJob();
    Dialogs::current().message(this, "Error", "Please add scan path first.",
                               MessageIcon::Information);
    addLocation();
    return;
  }
  startRun();
}

RunSettings MainWindow::runSettings() const {
  RunSettings run;
  run.job = currentJob();
  run.report = settings_->settings();
  run.exclusions = exclusions_->lists();
  run.followLinks = exclusions_->followLinks();
  run.textColour = textColour_;
  return run;
}

void MainWindow::beginRunDisplay() {
  elapsed_.reset();
  clock_.start();
  status_->hideCounts();
  status_->setPanelText(5, "00:00:00");
  enableControls(false);
  cancelled_ = false;
  lastRun_ = ScanReport{};
  updateCatalogueCommand();
}

void MainWindow::startRun() {
  beginRunDisplay();
  listingStored_ = false;
  // The default job is saved by the worker before it walks: the same order,
  // without the file writes holding up the window.
  RunSettings run = runSettings();
  QRect geometry(pos(), size());
  runner_.start(run, [job = run.job, geometry](ScanReport& report) {
    SettingsStore store{std::string(kSettingsApplication)};
    storeGeometry(store, geometry);
    ensureApplicationFolder();
    if (!saveJob(defaultJobPath(), job)) report.jobNotSaved = std::strerror(errno);
  });
}

void MainWindow::finishRun() {
  lastRun_ = runner_.finish();
  if (lastRun_.failure) {
    if (askRetry(this, failureReportOf(lastRun_.failure, "Scanning"))) {
      startRun();
      return;
    }
    // Abort: the window goes back to its idle state, the run counted as cancelled.
    lastRun_ = ScanReport{};
    cancelled_ = true;
    endRun();
    return;
  }
  cancelled_ = lastRun_.cancelled;
  if (!lastRun_.jobNotSaved.empty())
    tellSaveFailed("The job", QString::fromStdString(defaultJobPath()),
                   QString::fromStdString(lastRun_.jobNotSaved));
  if (!lastRun_.sourceError.empty()) {
    Dialogs::current().message(this, "Catalogue",
                               "The folder could not be read from the catalogue: " +
                                   QString::fromStdString(lastRun_.sourceError),
                               MessageIcon::Critical);
    endRun();
    return;
  }
  if (!lastRun_.written) {
    if (!lastRun_.error.empty())
      tellSaveFailed("The report", QString::fromStdString(reportPath_),
                     QString::fromStdString(lastRun_.error));
    endRun();
    return;
  }
  lastScan_ = {std::move(lastRun_.scan), std::move(lastRun_.settings), lastRun_.startTime,
               listingStored_, std::move(lastRun_.details)};
  emit reportWritten();
  if (!listingStored_ && settings_->addEveryScan()) addToCatalogue();
  // The formatting's last text stays while the listing streams in; "Ready"
  // comes once, with the counts, when it is all there.
  pane_->loadReport(reportPath_);
}

void MainWindow::afterListingLoaded() {
  if (scanning()) endRun();
}

void MainWindow::cancelScan() {
  if (!scanning()) return;
  if (!Dialogs::current().askYesNo(this, "Cancel Search",
                                   "Are you sure to cancel scanning of directories?"))
    return;
  cancelled_ = true;
  if (runner_.running()) {
    runner_.control().requestCancel();
  } else if (pane_->loading()) {
    // The listing stays as far as it was loaded.
    pane_->stopLoading();
    endRun();
  }
}

void MainWindow::endRun() {
  if (cancelled_)
    status_->setPanelText(1, "Scan Terminated.");
  else if (lastRun_.written && lastRun_.files == 0 &&
           lastScan_.settings.job.reportType != ReportType::FolderList)
    status_->setPanelText(1, "No files matched the filters of the scan locations.");
  else
    status_->setPanelText(1, "Ready");
  enableControls(true);
  status_->showCounts(lastRun_.files, lastRun_.folders);
  clock_.stop();
  updateCatalogueCommand();
  if (!lastRun_.unreadable.empty()) tellUnreadable(lastRun_.unreadable);
  emit scanEnded();
}

void MainWindow::tellUnreadable(const std::vector<ReadFailure>& unreadable) {
  QStringList lines;
  for (const ReadFailure& failure : unreadable) {
    if (lines.size() == kListedFailures) {
      lines << QString("... and %1 more.").arg(unreadable.size() - kListedFailures);
      break;
    }
    lines << failureLine(failure);
  }
  Dialogs::current().message(
      this, "Folders not read",
      "These folders could not be read; the listing leaves them out:\n\n" + lines.join('\n'),
      MessageIcon::Warning);
}

void MainWindow::saveAs() {
  runSaveAs(SaveAsRequest{this, pane_, reportPath_, font_->currentText(), fontSize_->currentText(),
                          lastScan_.scan.get(), &lastScan_.settings, lastScan_.startTime});
}

}  // namespace tallyfold::gui
