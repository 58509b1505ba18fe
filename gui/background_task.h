#pragma once
// One way to run work off the window thread: the work runs on a thread of its
// own and reaches the window only through posted calls, which the window's
// event loop runs in the order they were posted, and the finished() signal
// after the last of them. Progress goes out at a bounded rate, so a work that
// counts a million files never floods the window, and nothing polls.

#include <QObject>
#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>

namespace tallyfold::gui {

class BackgroundTask : public QObject {
  Q_OBJECT

 public:
  explicit BackgroundTask(int progressIntervalMs, QObject* parent = nullptr);
  // Waits for a work still running: its owner asks it to stop first.
  ~BackgroundTask() override;
  BackgroundTask(const BackgroundTask&) = delete;
  BackgroundTask& operator=(const BackgroundTask&) = delete;

  // Starts the work; a work still running is waited for first.
  void start(std::function<void()> work);
  // From start() until finished() was sent or wait() returned.
  bool running() const { return worker_.joinable(); }
  // Waits for the work to return. Nothing it posted is run afterwards and
  // finished() is not sent for it.
  void wait();

  // From the work's thread: true when the last progress went out at least an
  // interval ago, and takes this turn; the caller then posts its progress.
  bool progressDue();
  // From the work's thread: runs show on the window thread.
  void post(std::function<void()> show);

 signals:
  void finished();

 private:
  void finish(uint64_t generation);

  const int64_t intervalNs_;
  std::thread worker_;
  std::atomic<uint64_t> generation_{0};
  std::atomic<int64_t> lastProgressNs_{0};
};

}  // namespace tallyfold::gui
