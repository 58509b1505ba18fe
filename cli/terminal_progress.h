#pragma once
// Progress on standard error while a run goes on: one line, rewritten in place
// once a second from the run control, only when standard error is a terminal.

#include <condition_variable>
#include <mutex>
#include <thread>

#include "scan/run_control.h"
#include "scan/scan_run.h"

namespace tallyfold::cli {

class TerminalProgress {
 public:
  TerminalProgress(const RunControl& control, bool enabled);
  ~TerminalProgress();
  TerminalProgress(const TerminalProgress&) = delete;
  TerminalProgress& operator=(const TerminalProgress&) = delete;

  // Stops the updates and clears the line before other output goes to
  // standard error.
  void stop();

 private:
  void pollUntilStopped();
  void print();

  const RunControl& control_;
  ElapsedTimer timer_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stopping_ = false;
  bool lineShown_ = false;
  std::thread poller_;
};

}  // namespace tallyfold::cli
