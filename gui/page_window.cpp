#include "gui/page_window.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/page_export.h"

namespace tallyfold::gui {

namespace {

constexpr int kProgressIntervalMs = 50;
constexpr int kProgressSteps = 1000;

}  // namespace

PageWindow::PageWindow(const ScanResult& scan, const RunSettings& run, int64_t scanTime,
                       std::string pagePath, QWidget* parent)
    : QDialog(parent),
      scan_(scan),
      run_(run),
      scanTime_(scanTime),
      pagePath_(std::move(pagePath)),
      task_(kProgressIntervalMs) {
  setObjectName("PageFrm");
  setWindowTitle("Writing the browsable page.  Please wait...");
  setModal(true);
  auto* label = new QLabel("Progress...", this);
  progress_ = new QProgressBar(this);
  progress_->setObjectName("progress");
  progress_->setRange(0, kProgressSteps);
  cancel_ = new QPushButton("Cancel", this);
  cancel_->setObjectName("cmdCancel");
  connect(cancel_, &QPushButton::clicked, this, &PageWindow::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label);
  layout->addWidget(progress_);
  layout->addWidget(cancel_, 0, Qt::AlignRight);
  connect(&task_, &BackgroundTask::finished, this, &PageWindow::finished);
  resize(360, 110);
}

PageWindow::~PageWindow() {
  control_.requestCancel();
  task_.wait();
}

void PageWindow::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (started_) return;
  started_ = true;
  task_.start([this] { write(); });
}

void PageWindow::write() {
  const PageProgress progress = [this](uint64_t done, uint64_t total) {
    if (total == 0 || !task_.progressDue()) return;
    const int value = int(kProgressSteps * done / total);
    task_.post([this, value] { progress_->setValue(value); });
  };
  const ListingResult result =
      writeBrowsablePageFile(scan_, run_, scanTime_, pagePath_, control_, progress);
  written_ = result.written;
  error_ = result.error;
}

void PageWindow::finished() {
  if (written_)
    accept();
  else
    QDialog::reject();
}

// Cancel and the close box: the writing stops at its next file and the
// window closes when it has.
void PageWindow::reject() {
  control_.requestCancel();
  cancel_->setEnabled(false);
  if (!task_.running()) QDialog::reject();
}

}  // namespace tallyfold::gui
