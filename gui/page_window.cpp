#include "gui/page_window.h"

#include "app/page_export.h"

namespace tallyfold::gui {

PageWindow::PageWindow(const ScanResult& scan, const RunSettings& run, int64_t scanTime,
                       std::string pagePath, QWidget* parent)
    : ProgressWindow("PageFrm", "Writing the browsable page.  Please wait...", parent),
      scan_(scan),
      run_(run),
      scanTime_(scanTime),
      pagePath_(std::move(pagePath)) {}

PageWindow::~PageWindow() {
  stopWork();
}

bool PageWindow::work(const Progress& progress) {
  const ListingResult result =
      writeBrowsablePageFile(scan_, run_, scanTime_, pagePath_, control_, progress);
  error_ = result.error;
  return result.written;
}

}  // namespace tallyfold::gui
