#include "scan/walk_context.h"

#include <algorithm>
#include <thread>

namespace tallyfold {

WalkContext::WalkContext(const ExclusionLists& exclusions, const std::vector<ScanLocation>& rows,
                         bool folderRecords, RunControl& control)
    : exclusions_(exclusions),
      anyFolders_(!exclusions.folders.empty()),
      anyFileNames_(!exclusions.fileNames.empty()),
      anyExtensions_(!exclusions.extensions.empty()),
      depthRules_([&rows] {
        std::vector<std::string> folders;
        for (const ScanLocation& row : rows) folders.push_back(row.folder);
        return folders;
      }()),
      folderRecords_(folderRecords),
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

unsigned WalkContext::threads() const {
  if (threads_ != 0) return threads_;
  unsigned cores = std::thread::hardware_concurrency();
  return cores == 0 ? 1 : std::min(cores, 8u);
}

}  // namespace tallyfold
