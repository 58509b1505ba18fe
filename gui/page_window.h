#pragma once
// The browsable page window: writes the page of the last scan on a
// background task while showing its progress. The page replaces the target
// only when it was written whole; Cancel leaves any earlier file as it was.

#include <QDialog>
#include <cstdint>
#include <string>

#include "app/run_pipeline.h"
#include "gui/background_task.h"

class QProgressBar;
class QPushButton;

namespace tallyfold::gui {

class PageWindow : public QDialog {
  Q_OBJECT

 public:
  PageWindow(const ScanResult& scan, const RunSettings& run, int64_t scanTime, std::string pagePath,
             QWidget* parent);
  ~PageWindow() override;
  void reject() override;

  // After the window closed: the page is complete and in place.
  bool written() const { return written_; }
  bool cancelled() const { return control_.cancelRequested(); }
  // Why the page could not be written, when it was neither written nor cancelled.
  const std::string& error() const { return error_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void write();
  void finished();

  const ScanResult& scan_;
  const RunSettings& run_;
  int64_t scanTime_;
  std::string pagePath_;
  QProgressBar* progress_ = nullptr;
  QPushButton* cancel_ = nullptr;
  BackgroundTask task_;
  RunControl control_;
  bool started_ = false;
  bool written_ = false;  // set by the task, read after it finished
  std::string error_;
};

}  // namespace tallyfold::gui
