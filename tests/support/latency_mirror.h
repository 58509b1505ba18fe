#pragma once
// The FUSE latency mirror of bench/latency-mirror mounted over a folder for
// one test: every request to the mount waits the delay it was given.

#include <sys/types.h>

#include <string>

#include "support/temp_dir.h"

namespace tallyfold::test {

class LatencyMirror {
 public:
  // Mounts source at a folder of its own; mounted() tells whether that
  // worked, and skipReason() why not.
  LatencyMirror(const std::string& source, int delayMs);
  ~LatencyMirror();
  LatencyMirror(const LatencyMirror&) = delete;
  LatencyMirror& operator=(const LatencyMirror&) = delete;

  bool mounted() const { return reason_.empty(); }
  const std::string& skipReason() const { return reason_; }
  // The mount point, without trailing "/".
  const std::string& path() const { return mountPoint_; }

 private:
  bool waitForMount();
  void unmount();

  TempDir place_;
  std::string mountPoint_;
  std::string reason_;
  pid_t pid_ = -1;
};

}  // namespace tallyfold::test
