// The main window's catalogue commands: the Catalogue window, Add to
// catalogue (by hand, or after every scan when the setting says so), and the
// listing of a stored folder in the pane, which goes through the same report
// run as a scan.

#include <memory>
#include <vector>

#include "gui/catalogue_session.h"
#include "gui/catalogue_window.h"
#include "gui/dialogs.h"
#include "gui/listing_pane.h"
#include "gui/main_window.h"
#include "gui/settings_window.h"
#include "gui/status_panels.h"

namespace tallyfold::gui {

namespace {

NewScan newScanOf(const RunSettings& run, int64_t startTime) {
  NewScan scan;
  scan.time = startTime;
  scan.columns = storedColumnsOf(run.report);
  for (const ScanLocation& location : run.job.locations)
    if (location.scanned) scan.locations.push_back(StoredLocation{location, {}});
  return scan;
}

// The report is of the stored folder, as a scan of it would have been when
// the scan was made.
bool loadStoredFolder(const std::string& path, int64_t scanId, int64_t folderId,
                      RunControl& control, KnownRecords& records, RunSettings& run,
                      std::string& error) {
  CatalogueSession session(path);
  StoredScan stored;
  if (!session.loadFolder(scanId, folderId, stored, &control.cancelFlag())) {
    error = session.error().message;
    return false;
  }
  run.job.locations.clear();
  for (const StoredLocation& location : stored.info.locations)
    run.job.locations.push_back(location.location);
  // A walk for the detailed list makes no folder records; they would change
  // the order the sort leaves equal names in.
  if (run.job.reportType == ReportType::Details)
    std::erase_if(stored.scan.records, [](RecordRef r) { return r.isFolderRecord(); });
  records.scan = std::move(stored.scan);
  records.details = std::make_shared<StoredDetails>(std::move(stored.details));
  records.scanTime = stored.info.summary.time;
  return true;
}

}  // namespace

std::string MainWindow::cataloguePath() const {
  return Catalogue::defaultPath();
}

CatalogueWindow* MainWindow::catalogueWindow() {
  if (catalogue_ == nullptr) {
    catalogue_ = new CatalogueWindow(cataloguePath(), this);
    connect(catalogue_, &CatalogueWindow::listFolderRequested, this,
            [this](qint64 scanId, qint64 folderId) { listCatalogueFolder(scanId, folderId); });
  }
  return catalogue_;
}

void MainWindow::showCatalogue() {
  CatalogueWindow* window = catalogueWindow();
  window->show();
  window->raise();
  window->activateWindow();
}

bool MainWindow::canAddToCatalogue() const {
  return lastScan_.scan != nullptr && !lastScan_.stored && !catalogueTask_.running() &&
         !runner_.running();
}

void MainWindow::updateCatalogueCommand() {
  actions_.at("cmdAddToCatalogue")->setEnabled(canAddToCatalogue() && !scanning());
}

// The scan's records stay shared with Save As while the add reads them.
void MainWindow::addToCatalogue() {
  if (!canAddToCatalogue()) return;
  status_->setPanelText(1, "Adding the scan to the catalogue...");
  addOutcome_ = {};
  addCancel_ = false;
  catalogueTask_.start([this, records = lastScan_.scan,
                        scan = newScanOf(lastScan_.settings, lastScan_.startTime),
                        path = cataloguePath()] {
    CatalogueSession session(path);
    addOutcome_.id = session.add(scan, *records, &addCancel_);
    if (!addOutcome_.id) addOutcome_.error = session.error().message;
  });
  updateCatalogueCommand();
}

void MainWindow::finishAddToCatalogue() {
  updateCatalogueCommand();
  if (!addOutcome_.id) {
    status_->setPanelText(1, "Ready");
    Dialogs::current().message(this, "Catalogue",
                               "The scan could not be added to the catalogue: " +
                                   QString::fromStdString(addOutcome_.error),
                               MessageIcon::Critical);
    emit catalogueAddEnded(false);
    return;
  }
  // Adding it again would keep the same files twice.
  lastScan_.stored = true;
  updateCatalogueCommand();
  status_->setPanelText(1, QString("Added to the catalogue as scan %1.").arg(*addOutcome_.id));
  if (catalogue_ != nullptr) catalogue_->refreshScans();
  emit catalogueAddEnded(true);
}

void MainWindow::listCatalogueFolder(int64_t scanId, int64_t folderId) {
  if (scanning()) return;
  beginRunDisplay();
  listingStored_ = true;
  runner_.startFrom(runSettings(), [scanId, folderId, path = cataloguePath()](
                                       RunControl& control, KnownRecords& records, RunSettings& run,
                                       std::string& error) {
    return loadStoredFolder(path, scanId, folderId, control, records, run, error);
  });
}

}  // namespace tallyfold::gui
