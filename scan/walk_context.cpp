#include "scan/walk_context.h"

#include <algorithm>
#include <thread>

namespace tallyfold {

WalkContext::WalkContext(const ExclusionLists& exclusions, bool folderRecords, RunControl& control,
                         bool followLinks)
    : exclusions_(exclusions),
      anyFolders_(!exclusions.folders.empty()),
      anyFileNames_(!exclusions.fileNames.empty()),
      anyExtensions_(!exclusions.extensions.empty()),
      folderRecords_(folderRecords),
      followLinks_(followLinks),
      control_(control) {}

bool WalkContext::isFolderExcluded(std::string_view folderPath) const {
  return anyFolders_ && exclusions_.isFolderExcluded(folderPath);
}

bool WalkContext::isFileNameExcluded(std::string_view name) const {
  return anyFileNames_ && exclusions_.isFileNameExcluded(name);
}

bool WalkContext::isExtensionExcluded(std::string_view name) const {
  return anyExtensions_ && exclusions_.isExtensionExcluded(name);
}

bool WalkContext::enterOnce(const FolderIdentity& folder) {
  std::lock_guard lock(enteredMutex_);
  return entered_.insert(folder).second;
}

// Following links, which of two ways to one folder enters it depends on which
// is met first; one thread meets them in walk order every time, so the
// listing does not change from run to run.
// A share or a FUSE mount answers each look-up after a wait that costs no
// processor time, so many folders are read at once there.
constexpr unsigned kDistantThreads = 48;

unsigned WalkContext::threads(bool distantFileSystem) const {
  if (followLinks_) return 1;
  if (threads_ != 0) return threads_;
  if (distantFileSystem) return kDistantThreads;
  unsigned cores = std::thread::hardware_concurrency();
  return cores == 0 ? 1 : std::min(cores, 8u);
}

}  // namespace tallyfold
