#pragma once
// What every location of a scan run shares while it is walked: the exclusion
// snapshot, the depth rules of the whole scan-location list and the run
// control that carries the cancel flag and the progress.

#include <atomic>
#include <cstdint>
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
              bool folderRecords, RunControl& control);

  bool folderRecords() const { return folderRecords_; }
  bool cancelled() const { return control_.cancelRequested(); }
  const FolderDepthRules& depthRules() const { return depthRules_; }

  // The exclusion tests; lists that are empty cost nothing.
  bool isFolderExcluded(std::string_view folderPath) const;
  bool isFileNameExcluded(std::string_view name) const;
  bool isExtensionExcluded(std::string_view name) const;
  bool skipExcludedFolderTrees() const { return exclusions_.skipExcludedFolderTrees(); }

  // Progress, from any of the walk's threads.
  void showFolder(std::string_view folder) { control_.showFolder(folder); }
  void addProgress(uint64_t entries, uint64_t folders) { control_.addScanned(entries, folders); }
  // How many threads read folders; 0 (the default) means one per core.
  void setThreads(unsigned threads) { threads_ = threads; }
  unsigned threads() const;

 private:
  ExclusionMatcher exclusions_;
  bool anyFolders_, anyFileNames_, anyExtensions_;
  FolderDepthRules depthRules_;
  bool folderRecords_;
  RunControl& control_;
  unsigned threads_ = 0;
};

}  // namespace tallyfold
