#pragma once
// What every location of a scan run shares while it is walked: the exclusion
// snapshot, how links to folders are treated, the folders entered so far and
// the run control that carries the cancel flag and the progress.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "platform/dir_reader.h"

#include "scan/exclusions.h"
#include "scan/scan_run.h"

namespace tallyfold {

class WalkContext {
 public:
  WalkContext(const ExclusionLists& exclusions, bool folderRecords, RunControl& control,
              bool followLinks = false);

  bool folderRecords() const { return folderRecords_; }
  bool cancelled() const { return control_.cancelRequested(); }
  const CancelFlag& cancelFlag() const { return control_.cancelFlag(); }
  // Whether links to folders are entered; otherwise such a link keeps its
  // folder record and is not entered, as find, tree and du do.
  bool followLinks() const { return followLinks_; }
  // When links are followed, each real folder is entered once per scan: true
  // the first time a folder is met, false ever after.
  bool enterOnce(const FolderIdentity& folder);

  // The exclusion tests; lists that are empty cost nothing.
  bool isFolderExcluded(std::string_view folderPath) const;
  bool isFileNameExcluded(std::string_view name) const;
  bool isExtensionExcluded(std::string_view name) const;
  bool skipExcludedFolderTrees() const { return exclusions_.skipExcludedFolderTrees(); }
  bool skipHiddenFolders() const { return exclusions_.skipHiddenFolders(); }

  // Progress, from any of the walk's threads.
  void showFolder(std::string_view folder) { control_.showFolder(folder); }
  void addProgress(uint64_t entries, uint64_t folders) { control_.addScanned(entries, folders); }
  // How many threads read folders; 0 (the default) lets the file system
  // decide: one per core on a local disk, many where every look-up waits on
  // a wire or another program.
  void setThreads(unsigned threads) { threads_ = threads; }
  unsigned threads(bool distantFileSystem = false) const;

 private:
  ExclusionMatcher exclusions_;
  bool anyFolders_, anyFileNames_, anyExtensions_;
  bool folderRecords_;
  bool followLinks_;
  std::mutex enteredMutex_;
  std::unordered_set<FolderIdentity, FolderIdentityHash> entered_;
  RunControl& control_;
  unsigned threads_ = 0;
};

}  // namespace tallyfold
