#include "gui/html_window.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <cstdio>

#include "output/html_export.h"

namespace tallyfold::gui {

HtmlWindow::HtmlWindow(std::string reportPath, std::string htmlPath, std::string fontName,
                       std::string fontSize, QWidget* parent)
    : QDialog(parent),
      reportPath_(std::move(reportPath)),
      htmlPath_(std::move(htmlPath)),
      fontName_(std::move(fontName)),
      fontSize_(std::move(fontSize)) {
  setObjectName("HtmlFrm");
  setWindowTitle("Exporting in html format.  Please wait...");
  setModal(true);
  auto* label = new QLabel("Progress...", this);
  progress_ = new QProgressBar(this);
  progress_->setObjectName("progress");
  progress_->setRange(0, 1000);
  cancel_ = new QPushButton("Cancel", this);
  cancel_->setObjectName("cmdCancel");
  connect(cancel_, &QPushButton::clicked, this, &HtmlWindow::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label);
  layout->addWidget(progress_);
  layout->addWidget(cancel_, 0, Qt::AlignRight);
  poll_.setInterval(50);
  connect(&poll_, &QTimer::timeout, this, &HtmlWindow::poll);
  resize(360, 110);
}

HtmlWindow::~HtmlWindow() {
  htmlCancel_ = true;
  if (worker_.joinable()) worker_.join();
}

void HtmlWindow::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (worker_.joinable() || finished_) return;
  worker_ = std::thread(&HtmlWindow::convert, this);
  poll_.start();
}

// The page is made beside the target and renamed over it once complete.
void HtmlWindow::convert() {
  const std::string partPath = htmlPath_ + ".part";
  converted_ = exportHtml(reportPath_, partPath, fontName_, fontSize_, &htmlCancel_,
                          [this](uint64_t done, uint64_t total) {
                            done_.store(done, std::memory_order_relaxed);
                            total_.store(total, std::memory_order_relaxed);
                          });
  if (converted_ && !htmlCancel_) written_ = std::rename(partPath.c_str(), htmlPath_.c_str()) == 0;
  if (!written_) std::remove(partPath.c_str());
  finished_.store(true, std::memory_order_release);
}

void HtmlWindow::poll() {
  uint64_t total = total_.load(std::memory_order_relaxed);
  if (total > 0) progress_->setValue(int(1000 * done_.load(std::memory_order_relaxed) / total));
  if (!finished_.load(std::memory_order_acquire)) return;
  poll_.stop();
  worker_.join();
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
  if (!worker_.joinable()) QDialog::reject();
}

}  // namespace tallyfold::gui
