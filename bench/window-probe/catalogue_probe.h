#pragma once
// Measures the Catalogue window for the benchmarks: how long the window takes
// to open on a big catalogue, and, while searches are typed into it key by
// key, the longest time the event loop was kept from a 5 ms timer and when
// each search's first matches and its end came.

#include <QElapsedTimer>
#include <QObject>
#include <QStringList>
#include <QTimer>

namespace tallyfold::gui {
class MainWindow;
class CatalogueWindow;
}  // namespace tallyfold::gui

namespace tallyfold::bench {

class CatalogueProbe : public QObject {
  Q_OBJECT

 public:
  // Each pattern is typed one key at a time, keyIntervalMs apart.
  CatalogueProbe(gui::MainWindow* window, QStringList patterns, int keyIntervalMs);
  // Opens the Catalogue window at once, then types the searches; prints the
  // figures and quits at the end.
  void start();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void startTyping();
  void tick();
  void typeNextKey();
  void searchEnded();
  void report();

  gui::MainWindow* window_;
  gui::CatalogueWindow* catalogue_ = nullptr;
  QStringList patterns_;
  int keyIntervalMs_;
  int pattern_ = 0;
  int typed_ = 0;
  QTimer ticker_;
  QElapsedTimer clock_;
  qint64 lastTick_ = 0;
  qint64 longestGap_ = 0;
  // The window thread's own processor time within one gap, the longest.
  int64_t lastCpuNs_ = 0;
  int64_t longestCpuNs_ = 0;
  qint64 lastKeyAt_ = 0;
  qint64 firstRowsAt_ = -1;
  qint64 shownAt_ = -1;
  bool painted_ = false;
};

}  // namespace tallyfold::bench
