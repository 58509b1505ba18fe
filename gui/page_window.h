#pragma once
// The browsable page window: writes the page of the last scan on a
// background task while showing its progress. The page replaces the target
// only when it was written whole; Cancel leaves any earlier file as it was.

#include <cstdint>
#include <string>

#include "app/run_pipeline.h"
#include "gui/progress_window.h"

namespace tallyfold::gui {

class PageWindow : public ProgressWindow {
  Q_OBJECT

 public:
  PageWindow(const ScanResult& scan, const RunSettings& run, int64_t scanTime, std::string pagePath,
             QWidget* parent);
  ~PageWindow() override;

  bool cancelled() const { return control_.cancelRequested(); }
  // Why the page could not be written, when it was neither written nor cancelled.
  const std::string& error() const { return error_; }

 protected:
  bool work(const Progress& progress) override;
  void requestStop() override { control_.requestCancel(); }

 private:
  const ScanResult& scan_;
  const RunSettings& run_;
  int64_t scanTime_;
  std::string pagePath_;
  RunControl control_;
  std::string error_;
};

}  // namespace tallyfold::gui
