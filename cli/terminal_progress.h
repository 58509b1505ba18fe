#pragma once
// Progress on standard error while a scan, sort or report runs: one line,
// rewritten in place at most once a second, only when standard error is a
// terminal.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

#include "scan/scan_run.h"

namespace tallyfold::cli {

class TerminalProgress : public ScanStatus {
 public:
  explicit TerminalProgress(bool enabled);
  ~TerminalProgress() override;

  void showStatus(std::string_view text) override;
  void showProgress(uint64_t entriesSeen, uint64_t foldersSeen) override;
  // Clears the progress line before other output goes to standard error.
  void clear();

 private:
  void printIfDue();

  bool enabled_;
  ElapsedTimer timer_;
  std::mutex mutex_;
  std::string status_;
  std::atomic<uint64_t> entries_{0}, folders_{0};
  std::chrono::steady_clock::time_point lastPrint_;
  bool lineShown_ = false;
};

}  // namespace tallyfold::cli
