#pragma once
// Measures the window for the benchmarks: how long the event loop was ever
// kept from a 5 ms timer, and when the report file and the listing were done.

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

namespace tallyfold::gui {
class MainWindow;
}

namespace tallyfold::bench {

using gui::MainWindow;

class ScanProbe : public QObject {
  Q_OBJECT

 public:
  explicit ScanProbe(MainWindow* window);
  // Scans at once; prints the figures and quits when the scan has ended.
  void start();

 private:
  void tick();
  void report();

  MainWindow* window_;
  QTimer ticker_;
  QElapsedTimer clock_;
  qint64 lastTick_ = 0;
  // Longest gaps while the run writes the report, and while the pane loads it.
  qint64 longestGapInRun_ = 0;
  qint64 longestGapInLoad_ = 0;
  qint64 reportWrittenAt_ = -1;
};

}  // namespace tallyfold::bench
