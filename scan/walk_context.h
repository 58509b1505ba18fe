#pragma once
// What every location of a scan run shares while it is walked: the exclusion
// snapshot, the depth rules of the whole scan-location list, the cancel flag
// and the status sink.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "scan/exclusions.h"
#include "scan/path_rules.h"
#include "scan/scan_location.h"
#include "scan/scan_run.h"

namespace tallyfold {

class WalkContext {
 public:
  WalkContext(const ExclusionLists& exclusions, const std::vector<ScanLocation>& rows,
              bool folderRecords, CancelFlag& cancel, ScanStatus& status);

  bool folderRecords() const { return folderRecords_; }
  bool cancelled() const { return cancel_.load(std::memory_order_relaxed); }
  const FolderDepthRules& depthRules() const { return depthRules_; }

  // The exclusion tests; lists that are empty cost nothing.
  bool isFolderExcluded(std::string_view folderPath) const;
  bool isFileNameExcluded(std::string_view name) const;
  bool isExtensionExcluded(std::string_view name) const;
  bool skipExcludedFolderTrees() const { return exclusions_.skipExcludedFolderTrees(); }

  // Status texts and progress, from any of the walk's threads (one at a time).
  void showStatus(std::string_view text);
  void addProgress(uint64_t entries, uint64_t folders);
  // How many threads read folders; 0 (the default) means one per core.
  void setThreads(unsigned threads) { threads_ = threads; }
  unsigned threads() const;

 private:
  ExclusionMatcher exclusions_;
  bool anyFolders_, anyFileNames_, anyExtensions_;
  FolderDepthRules depthRules_;
  bool folderRecords_;
  CancelFlag& cancel_;
  ScanStatus& status_;
  std::mutex statusMutex_;
  uint64_t entriesSeen_ = 0;
  uint64_t foldersSeen_ = 0;
  unsigned threads_ = 0;
};

}  // namespace tallyfold
