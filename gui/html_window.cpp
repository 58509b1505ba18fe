#include "gui/html_window.h"

#include <cstdio>

#include "output/html_export.h"

namespace tallyfold::gui {

HtmlWindow::HtmlWindow(std::string reportPath, std::string htmlPath, std::string fontName,
                       std::string fontSize, QWidget* parent)
    : ProgressWindow("HtmlFrm", "Exporting in html format.  Please wait...", parent),
      reportPath_(std::move(reportPath)),
      htmlPath_(std::move(htmlPath)),
      fontName_(std::move(fontName)),
      fontSize_(std::move(fontSize)) {}

HtmlWindow::~HtmlWindow() {
  stopWork();
}

// The page is made beside the target and renamed over it once complete.
bool HtmlWindow::work(const Progress& progress) {
  const std::string partPath = htmlPath_ + ".part";
  const bool converted =
      exportHtml(reportPath_, partPath, fontName_, fontSize_, &htmlCancel_, progress);
  const bool written =
      converted && !htmlCancel_ && std::rename(partPath.c_str(), htmlPath_.c_str()) == 0;
  if (!written) std::remove(partPath.c_str());
  return written;
}

}  // namespace tallyfold::gui
