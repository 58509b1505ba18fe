#include "scan_probe.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <cstdio>

#include "gui/main_window.h"

namespace tallyfold::bench {

using namespace gui;

namespace {

constexpr int kTickMs = 5;

}  // namespace

ScanProbe::ScanProbe(MainWindow* window) : QObject(window), window_(window) {
  ticker_.setInterval(kTickMs);
  ticker_.setTimerType(Qt::PreciseTimer);
  connect(&ticker_, &QTimer::timeout, this, &ScanProbe::tick);
  connect(window, &MainWindow::reportWritten, this,
          [this] { reportWrittenAt_ = clock_.elapsed(); });
  connect(window, &MainWindow::scanEnded, this, &ScanProbe::report);
}

void ScanProbe::start() {
  clock_.start();
  ticker_.start();
  window_->scan();
}

void ScanProbe::tick() {
  qint64 now = clock_.elapsed();
  qint64& longest = reportWrittenAt_ < 0 ? longestGapInRun_ : longestGapInLoad_;
  longest = std::max(longest, now - lastTick_);
  lastTick_ = now;
}

void ScanProbe::report() {
  tick();
  qint64 end = clock_.elapsed();
  auto* pane = window_->findChild<QPlainTextEdit*>("rTxt");
  std::printf("scan and report ms:      %lld\n", static_cast<long long>(reportWrittenAt_));
  std::printf("listing loaded after ms: %lld\n",
              static_cast<long long>(reportWrittenAt_ < 0 ? -1 : end - reportWrittenAt_));
  qint64 longestGap = std::max(longestGapInRun_, longestGapInLoad_);
  std::printf("longest event-loop block ms: %lld (scan and report %lld, loading %lld)\n",
              static_cast<long long>(longestGap - kTickMs),
              static_cast<long long>(longestGapInRun_ - kTickMs),
              static_cast<long long>(longestGapInLoad_ - kTickMs));
  std::printf("lines in the pane:       %d\n", pane->document()->blockCount());
  std::fflush(stdout);
  // TALLYFOLD_PROBE_HOLD_MS keeps the window up for a screenshot.
  const int hold = qEnvironmentVariableIntValue("TALLYFOLD_PROBE_HOLD_MS");
  QTimer::singleShot(hold, qApp, [] { QApplication::exit(0); });
}

}  // namespace tallyfold::bench
