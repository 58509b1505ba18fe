#pragma once
// The HTML export window: converts the report file to an HTML page on a
// background task while showing its progress. The page replaces the target
// only when the whole report was converted; Cancel leaves any earlier file as
// it was.

#include <QDialog>
#include <atomic>
#include <string>

#include "gui/background_task.h"
#include "scan/run_control.h"

class QProgressBar;
class QPushButton;

namespace tallyfold::gui {

class HtmlWindow : public QDialog {
  Q_OBJECT

 public:
  void reject() override;
  HtmlWindow(std::string reportPath, std::string htmlPath, std::string fontName,
             std::string fontSize, QWidget* parent);
  ~HtmlWindow() override;

  // After the window closed: the page is complete and in place.
  bool written() const { return written_; }
  bool cancelled() const { return htmlCancel_.load(); }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void convert();
  void converted();

  std::string reportPath_, htmlPath_, fontName_, fontSize_;
  QProgressBar* progress_ = nullptr;
  QPushButton* cancel_ = nullptr;
  BackgroundTask task_;
  CancelFlag htmlCancel_{false};
  bool started_ = false;
  bool written_ = false;  // set by the task, read after it finished
};

}  // namespace tallyfold::gui
