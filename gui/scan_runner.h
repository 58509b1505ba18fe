#pragma once
// Runs a job into the report file on a worker thread. The window polls the
// run control on its own timer; nothing is sent to the window per folder.

#include <atomic>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/run_pipeline.h"

namespace tallyfold::gui {

struct ScanReport {
  bool written = false;        // the report file holds this run's document
  std::string error;           // why it could not be written
  std::exception_ptr failure;  // an exception that ended the run
  bool cancelled = false;
  uint64_t files = 0;
  uint64_t folders = 0;
  std::vector<ReadFailure> unreadable;
  std::string jobNotSaved;  // why the default job could not be saved
  // The run's records and what it read, for the CSV and JSON listings of
  // Save As; empty when the run ended without a report.
  std::shared_ptr<ScanResult> scan;
  RunSettings settings;
  int64_t startTime = 0;  // seconds since the epoch
};

// Runs first on the worker, before the walk (the saving of the default job,
// whose file writes would otherwise hold up the window).
using RunPreparation = std::function<void(ScanReport&)>;

class ScanRunner {
 public:
  ScanRunner() = default;
  ~ScanRunner();
  ScanRunner(const ScanRunner&) = delete;
  ScanRunner& operator=(const ScanRunner&) = delete;

  void start(RunSettings settings, RunPreparation prepare = {});
  bool running() const { return worker_.joinable(); }
  bool done() const { return done_.load(std::memory_order_acquire); }
  // The current run's control; valid from start() until the next start().
  RunControl& control() { return *control_; }
  // Waits for the worker and hands over what the run did.
  ScanReport finish();

 private:
  void run(RunSettings settings, RunPreparation prepare);

  std::unique_ptr<RunControl> control_ = std::make_unique<RunControl>();
  std::thread worker_;
  std::atomic<bool> done_{false};
  ScanReport report_;
};

}  // namespace tallyfold::gui
