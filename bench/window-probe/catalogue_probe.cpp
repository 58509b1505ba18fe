#include "catalogue_probe.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTreeView>
#include <QTreeWidget>
#include <cstdio>

#include "gui/catalogue_window.h"
#include "gui/main_window.h"
#include "platform/thread_cpu_time.h"

namespace tallyfold::bench {

namespace {

constexpr int kTickMs = 5;

bool searchIsOver(const QString& status) {
  return status.endsWith("found.") || status == "Nothing found." || status.contains("are listed");
}

}  // namespace

CatalogueProbe::CatalogueProbe(gui::MainWindow* window, QStringList patterns, int keyIntervalMs)
    : QObject(window),
      window_(window),
      patterns_(std::move(patterns)),
      keyIntervalMs_(keyIntervalMs) {
  ticker_.setInterval(kTickMs);
  ticker_.setTimerType(Qt::PreciseTimer);
  connect(&ticker_, &QTimer::timeout, this, &CatalogueProbe::tick);
}

void CatalogueProbe::start() {
  clock_.start();
  window_->showCatalogue();
  catalogue_ = window_->catalogueWindow();
  shownAt_ = clock_.elapsed();
  // Open is when the scan list has first been painted.
  catalogue_->findChild<QTreeWidget*>("catalogueScans")->viewport()->installEventFilter(this);
}

bool CatalogueProbe::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::Paint || painted_) return QObject::eventFilter(watched, event);
  painted_ = true;
  QTimer::singleShot(0, this, [this] {
    std::printf("catalogue window open ms: %lld (constructed and shown %lld)\n",
                static_cast<long long>(clock_.elapsed()), static_cast<long long>(shownAt_));
    std::fflush(stdout);
    // A user reads the window before typing.
    constexpr int kSettleMs = 300;
    QTimer::singleShot(kSettleMs, this, &CatalogueProbe::startTyping);
  });
  return false;
}

void CatalogueProbe::startTyping() {
  auto* results = catalogue_->findChild<QTreeView*>("catalogueResults");
  connect(results->model(), &QAbstractItemModel::rowsInserted, this, [this] {
    if (firstRowsAt_ < 0) firstRowsAt_ = clock_.elapsed();
  });
  lastTick_ = clock_.elapsed();
  lastCpuNs_ = threadCpuNanoseconds();
  ticker_.start();
  typeNextKey();
}

void CatalogueProbe::tick() {
  const qint64 now = clock_.elapsed();
  const int64_t cpu = threadCpuNanoseconds();
  const int64_t working = cpu - lastCpuNs_;
  longestCpuNs_ = std::max(longestCpuNs_, working);
  lastCpuNs_ = cpu;
  // TALLYFOLD_PROBE_TRACE names every long block and what was typed then.
  static const bool trace = qEnvironmentVariableIsSet("TALLYFOLD_PROBE_TRACE");
  if (trace && now - lastTick_ > 30 && pattern_ < patterns_.size())
    std::printf("  block %lld ms (%.1f ms working) at %lld ms after a key, typed \"%s\", %d rows\n",
                static_cast<long long>(now - lastTick_ - kTickMs), double(working) / 1e6,
                static_cast<long long>(now - lastKeyAt_),
                patterns_[pattern_].left(typed_).toUtf8().constData(),
                catalogue_->findChild<QTreeView*>("catalogueResults")->model()->rowCount());
  longestGap_ = std::max(longestGap_, now - lastTick_);
  lastTick_ = now;
}

void CatalogueProbe::typeNextKey() {
  if (pattern_ == patterns_.size()) {
    report();
    return;
  }
  const QString& pattern = patterns_[pattern_];
  ++typed_;
  firstRowsAt_ = -1;
  lastKeyAt_ = clock_.elapsed();
  catalogue_->findChild<QLineEdit*>("catalogueSearch")->setText(pattern.left(typed_));
  if (typed_ < pattern.size()) {
    QTimer::singleShot(keyIntervalMs_, this, &CatalogueProbe::typeNextKey);
    return;
  }
  // The whole pattern is in: wait for the end of its search.
  auto* poll = new QTimer(this);
  poll->setInterval(kTickMs);
  connect(poll, &QTimer::timeout, this, [this, poll] {
    if (!searchIsOver(catalogue_->findChild<QLabel*>("catalogueSearchStatus")->text())) return;
    poll->deleteLater();
    searchEnded();
  });
  poll->start();
}

void CatalogueProbe::searchEnded() {
  const QString status = catalogue_->findChild<QLabel*>("catalogueSearchStatus")->text();
  std::printf("search %-14s first rows ms: %5lld  end ms: %6lld  %s\n",
              patterns_[pattern_].toUtf8().constData(),
              static_cast<long long>(firstRowsAt_ < 0 ? -1 : firstRowsAt_ - lastKeyAt_),
              static_cast<long long>(clock_.elapsed() - lastKeyAt_), status.toUtf8().constData());
  std::fflush(stdout);
  ++pattern_;
  typed_ = 0;
  QTimer::singleShot(keyIntervalMs_, this, &CatalogueProbe::typeNextKey);
}

void CatalogueProbe::report() {
  tick();
  std::printf("longest event-loop block while searching ms: %lld\n",
              static_cast<long long>(longestGap_ - kTickMs));
  std::printf("most window-thread processor time in one block ms: %.1f\n",
              double(longestCpuNs_) / 1e6);
  std::fflush(stdout);
  // TALLYFOLD_PROBE_OPEN_SCAN shows the first scan's folders, for a screenshot.
  if (qEnvironmentVariableIsSet("TALLYFOLD_PROBE_OPEN_SCAN")) {
    auto* scans = catalogue_->findChild<QTreeWidget*>("catalogueScans");
    scans->setCurrentItem(scans->topLevelItem(0));
    catalogue_->openScan();
    auto* tree = catalogue_->findChild<QTreeView*>("catalogueTree");
    tree->expand(tree->model()->index(0, 0));
  }
  const int hold = qEnvironmentVariableIntValue("TALLYFOLD_PROBE_HOLD_MS");
  QTimer::singleShot(hold, qApp, [] { QApplication::exit(0); });
}

}  // namespace tallyfold::bench
