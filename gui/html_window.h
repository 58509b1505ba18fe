#pragma once
// HtmlFrm: converts the report file to an HTML page while showing its
// progress. The page replaces the target only when the whole report was
// converted; Cancel leaves any earlier file as it was.

#include <QDialog>
#include <QTimer>
#include <atomic>
#include <string>
#include <thread>

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
  void poll();

  std::string reportPath_, htmlPath_, fontName_, fontSize_;
  QProgressBar* progress_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QTimer poll_;
  std::thread worker_;
  CancelFlag htmlCancel_{false};
  std::atomic<bool> finished_{false};
  std::atomic<uint64_t> done_{0}, total_{0};
  bool converted_ = false;
  bool written_ = false;
};

}  // namespace tallyfold::gui
