#include "gui/background_task.h"

#include <QMetaObject>
#include <chrono>

namespace tallyfold::gui {

namespace {

int64_t nowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

BackgroundTask::BackgroundTask(int progressIntervalMs, QObject* parent)
    : QObject(parent), intervalNs_(int64_t(progressIntervalMs) * 1000000) {}

BackgroundTask::~BackgroundTask() {
  wait();
}

void BackgroundTask::start(std::function<void()> work) {
  wait();
  const uint64_t generation = generation_.load();
  lastProgressNs_.store(0);
  worker_ = std::thread([this, generation, work = std::move(work)] {
    work();
    QMetaObject::invokeMethod(
        this, [this, generation] { finish(generation); }, Qt::QueuedConnection);
  });
}

void BackgroundTask::finish(uint64_t generation) {
  if (generation != generation_.load()) return;
  worker_.join();
  ++generation_;
  emit finished();
}

void BackgroundTask::wait() {
  if (!worker_.joinable()) return;
  worker_.join();
  ++generation_;
}

bool BackgroundTask::progressDue() {
  const int64_t now = nowNs();
  int64_t last = lastProgressNs_.load(std::memory_order_relaxed);
  if (last != 0 && now - last < intervalNs_) return false;
  return lastProgressNs_.compare_exchange_strong(last, now, std::memory_order_relaxed);
}

void BackgroundTask::post(std::function<void()> show) {
  const uint64_t generation = generation_.load();
  QMetaObject::invokeMethod(
      this,
      [this, generation, show = std::move(show)] {
        if (generation == generation_.load()) show();
      },
      Qt::QueuedConnection);
}

}  // namespace tallyfold::gui
