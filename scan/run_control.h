#pragma once
// The shared state of one run (scan, sort, report, export): the cancel flag a
// front end sets, and the phase and counters the workers write. A front end
// reads it at its own pace: the command-line program once a second; the window
// is told of each change through a listener that decides on the worker's
// thread whether the change is worth showing yet.

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

namespace tallyfold {

// Set by the Cancel command (or an aborted error report) from any thread;
// polled by the walk, the sort, the report generators and the long reads.
using CancelFlag = std::atomic<bool>;

enum class RunPhase : uint8_t {
  Idle,
  Scanning,    // the walk: folder shown, entries and folders counted
  Sorting,     // the records put in report order
  Formatting,  // a report generator writes the document
  Exporting,   // a finished document is converted (plain text, HTML)
  Finished,    // "Ready" or "Scan Terminated."
};

// How the formatting phase words its progress: the detailed list counts files,
// the trees and the folder list count records.
enum class FormattingCount : uint8_t { None, Files, Records };

class RunControl {
 public:
  // From any thread, any time. A cancel ends the phase in progress: a walk
  // that is cancelled still has what it found sorted and reported, a cancel
  // while sorting or formatting ends the run with the document closed. A stop
  // (a signal, an aborted error report) ends the whole run.
  void requestCancel() {
    cancelled_.store(true);
    cancel_.store(true);
  }
  void requestStop() {
    stop_.store(true);
    requestCancel();
  }
  bool cancelRequested() const { return cancel_.load(std::memory_order_relaxed); }
  bool stopRequested() const { return stop_.load(std::memory_order_relaxed); }
  // Whether any phase of the run was cancelled: the run ends "Scan Terminated.".
  bool wasCancelled() const { return cancelled_.load(std::memory_order_relaxed); }
  CancelFlag& cancelFlag() { return cancel_; }
  const CancelFlag& cancelFlag() const { return cancel_; }
  // After the walk: a cancel that ended it does not end the report, unless
  // the run was stopped.
  void finishWalk();

  // Told after each change of the status text, on the thread that made it;
  // phaseChanged is true for a new phase. Set before the run starts.
  using Listener = std::function<void(bool phaseChanged)>;
  void setListener(Listener listener) { listener_ = std::move(listener); }

  // Written by the worker.
  void enterPhase(RunPhase phase);
  // The folder the walk is in, shown every 50 entries.
  void showFolder(std::string_view folder);
  void addScanned(uint64_t entries, uint64_t folders);
  // The formatting phase's counter and its whole: files written out of records,
  // or records done out of records.
  void startFormatting(FormattingCount count, uint64_t total, std::string_view decimalPoint = ".");
  void setFormatted(uint64_t done) {
    done_.store(done, std::memory_order_relaxed);
    if (listener_) listener_(false);
  }
  void setExported(uint64_t done, uint64_t total);

  // Read by the front end.
  RunPhase phase() const { return phase_.load(std::memory_order_acquire); }
  uint64_t entriesScanned() const { return entries_.load(std::memory_order_relaxed); }
  uint64_t foldersScanned() const { return folders_.load(std::memory_order_relaxed); }
  // The status-bar text of the current phase; every text a run shows is
  // composed here.
  std::string statusText() const;

 private:
  CancelFlag cancel_{false};
  std::atomic<bool> cancelled_{false}, stop_{false};
  std::atomic<RunPhase> phase_{RunPhase::Idle};
  std::atomic<uint64_t> entries_{0}, folders_{0};
  std::atomic<FormattingCount> countKind_{FormattingCount::None};
  std::atomic<uint64_t> done_{0}, total_{0};
  mutable std::mutex textMutex_;
  std::string folder_;
  std::string decimalPoint_ = ".";
  Listener listener_;
};

}  // namespace tallyfold
