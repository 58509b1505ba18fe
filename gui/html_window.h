#pragma once
// The HTML export window: converts the report file to an HTML page on a
// background task while showing its progress. The page replaces the target
// only when the whole report was converted; Cancel leaves any earlier file as
// it was.

#include <atomic>
#include <string>

#include "gui/progress_window.h"
#include "scan/run_control.h"

namespace tallyfold::gui {

class HtmlWindow : public ProgressWindow {
  Q_OBJECT

 public:
  HtmlWindow(std::string reportPath, std::string htmlPath, std::string fontName,
             std::string fontSize, QWidget* parent);
  ~HtmlWindow() override;

  bool cancelled() const { return htmlCancel_.load(); }

 protected:
  bool work(const Progress& progress) override;
  void requestStop() override { htmlCancel_ = true; }

 private:
  std::string reportPath_, htmlPath_, fontName_, fontSize_;
  CancelFlag htmlCancel_{false};
};

}  // namespace tallyfold::gui
