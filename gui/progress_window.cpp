#include "gui/progress_window.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace tallyfold::gui {

namespace {

constexpr int kProgressIntervalMs = 50;
constexpr int kProgressSteps = 1000;

}  // namespace

ProgressWindow::ProgressWindow(const char* objectName, const char* title, QWidget* parent)
    : QDialog(parent), task_(kProgressIntervalMs) {
  setObjectName(objectName);
  setWindowTitle(title);
  setModal(true);
  auto* label = new QLabel("Progress...", this);
  progress_ = new QProgressBar(this);
  progress_->setObjectName("progress");
  progress_->setRange(0, kProgressSteps);
  cancel_ = new QPushButton("Cancel", this);
  cancel_->setObjectName("cmdCancel");
  connect(cancel_, &QPushButton::clicked, this, &ProgressWindow::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label);
  layout->addWidget(progress_);
  layout->addWidget(cancel_, 0, Qt::AlignRight);
  connect(&task_, &BackgroundTask::finished, this, &ProgressWindow::finished);
  resize(360, 110);
}

void ProgressWindow::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (started_) return;
  started_ = true;
  task_.start([this] {
    written_ = work([this](uint64_t done, uint64_t total) {
      if (total == 0 || !task_.progressDue()) return;
      const int value = int(kProgressSteps * done / total);
      task_.post([this, value] { progress_->setValue(value); });
    });
  });
}

void ProgressWindow::stopWork() {
  requestStop();
  task_.wait();
}

void ProgressWindow::finished() {
  if (written_)
    accept();
  else
    QDialog::reject();
}

void ProgressWindow::reject() {
  requestStop();
  cancel_->setEnabled(false);
  if (!task_.running()) QDialog::reject();
}

}  // namespace tallyfold::gui
