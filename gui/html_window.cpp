#include "gui/html_window.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <cstdio>

#include "output/html_export.h"

namespace tallyfold::gui {

namespace {

constexpr int kProgressIntervalMs = 50;
constexpr int kProgressSteps = 1000;

}  // namespace

HtmlWindow::HtmlWindow(std::string reportPath, std::string htmlPath, std::string fontName,
                       std::string fontSize, QWidget* parent)
    : QDialog(parent),
      reportPath_(std::move(reportPath)),
      htmlPath_(std::move(htmlPath)),
      fontName_(std::move(fontName)),
      fontSize_(std::move(fontSize)),
      task_(kProgressIntervalMs) {
  setObjectName("HtmlFrm");
  setWindowTitle("Exporting in html format.  Please wait...");
  setModal(true);
  auto* label = new QLabel("Progress...", this);
  progress_ = new QProgressBar(this);
  progress_->setObjectName("progress");
  progress_->setRange(0, kProgressSteps);
  cancel_ = new QPushButton("Cancel", this);
  cancel_->setObjectName("cmdCancel");
  connect(cancel_, &QPushButton::clicked, this, &HtmlWindow::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label);
  layout->addWidget(progress_);
  layout->addWidget(cancel_, 0, Qt::AlignRight);
  connect(&task_, &BackgroundTask::finished, this, &HtmlWindow::converted);
  resize(360, 110);
}

HtmlWindow::~HtmlWindow() {
  htmlCancel_ = true;
  task_.wait();
}

void HtmlWindow::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (started_) return;
  started_ = true;
  task_.start([this] { convert(); });
}

// The page is made beside the target and renamed over it once complete.
void HtmlWindow::convert() {
  const std::string partPath = htmlPath_ + ".part";
  const bool converted = exportHtml(reportPath_, partPath, fontName_, fontSize_, &htmlCancel_,
                                    [this](uint64_t done, uint64_t total) {
                                      if (total == 0 || !task_.progressDue()) return;
                                      const int value = int(kProgressSteps * done / total);
                                      task_.post([this, value] { progress_->setValue(value); });
                                    });
  if (converted && !htmlCancel_) written_ = std::rename(partPath.c_str(), htmlPath_.c_str()) == 0;
  if (!written_) std::remove(partPath.c_str());
}

void HtmlWindow::converted() {
  if (written_)
    accept();
  else
    QDialog::reject();
}

// Cancel and the close box: the conversion stops at its next line and the
// window closes when it has.
void HtmlWindow::reject() {
  htmlCancel_ = true;
  cancel_->setEnabled(false);
  if (!task_.running()) QDialog::reject();
}

}  // namespace tallyfold::gui
