#pragma once
// Measures the listing pane's commands for the benchmarks, on the report in
// $TALLYFOLD_PROBE_REPORT: a typed character, Find Next, Replace All and the
// print of 10,000 lines to a PDF file. Prints the figures and quits.

#include <QObject>

namespace tallyfold::gui {
class MainWindow;
}

namespace tallyfold::bench {

using gui::MainWindow;

class EditProbe : public QObject {
  Q_OBJECT

 public:
  explicit EditProbe(MainWindow* window);
  void start();

 private:
  void measure();

  MainWindow* window_;
};

}  // namespace tallyfold::bench
