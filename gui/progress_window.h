#pragma once
// The small modal window of a long export: "Progress...", a bar and Cancel,
// over a work that runs on a background task and puts its file in place only
// when it finished whole. Cancel and the close box ask the work to stop; the
// window closes once it has.

#include <QDialog>
#include <cstdint>
#include <functional>

#include "gui/background_task.h"

class QProgressBar;
class QPushButton;

namespace tallyfold::gui {

class ProgressWindow : public QDialog {
  Q_OBJECT

 public:
  void reject() override;

  // After the window closed: the file is complete and in place.
  bool written() const { return written_; }

 protected:
  // Told how many of the work's steps are done, out of all of them.
  using Progress = std::function<void(uint64_t done, uint64_t total)>;

  ProgressWindow(const char* objectName, const char* title, QWidget* parent);
  void showEvent(QShowEvent* event) override;

  // Runs on the background task; true when the file is in place.
  virtual bool work(const Progress& progress) = 0;
  // From the window thread: the work is to stop at its next step.
  virtual void requestStop() = 0;
  // For the destructor of a subclass, whose members the work uses: asks the
  // work to stop and waits for it.
  void stopWork();

 private:
  void finished();

  QProgressBar* progress_ = nullptr;
  QPushButton* cancel_ = nullptr;
  BackgroundTask task_;
  bool started_ = false;
  bool written_ = false;  // set by the task, read after it finished
};

}  // namespace tallyfold::gui
