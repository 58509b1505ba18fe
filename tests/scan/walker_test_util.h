#pragma once
// Shared by the walker tests: running one scan over real folders and reading
// its records as texts, and the order a folder's listing really has.

#include <dirent.h>

#include <algorithm>
#include <string>
#include <vector>

#include "scan/scan_run.h"

namespace tallyfold::test {

inline ScanLocation location(const std::string& folder, bool subFolders = true,
                             const std::string& fileTypes = "*.*", int level = 0) {
  ScanLocation row;
  row.folder = folder;
  row.subFolders = subFolders;
  row.fileTypes = fileTypes;
  row.level = level;
  return row;
}

inline ScanResult scan(const std::vector<ScanLocation>& locations, bool folderRecords = true,
                       const ExclusionLists& exclusions = {}) {
  ScanRequest request{locations, exclusions, folderRecords};
  RunControl control;
  return runScan(request, control);
}

inline std::vector<std::string> texts(const ScanResult& result) {
  std::vector<std::string> out;
  for (RecordRef r : result.records) out.push_back(result.store.recordText(r));
  return out;
}

inline std::vector<std::string> scanTexts(const std::vector<ScanLocation>& locations,
                                          bool folderRecords = true,
                                          const ExclusionLists& exclusions = {}) {
  return texts(scan(locations, folderRecords, exclusions));
}

// The names of a folder in the order its listing gives them, "." and ".." left
// out.
inline std::vector<std::string> listingOrder(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return names;
  while (dirent* entry = readdir(dir)) {
    std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  closedir(dir);
  return names;
}

inline std::vector<std::string> sorted(std::vector<std::string> texts) {
  std::sort(texts.begin(), texts.end());
  return texts;
}

inline std::string folderRecord(const std::string& path) {
  return path + "|$$$$$$$$$$$$$$$$$$$$$$$$$$$$$$$$$$$$$$$|00000000000000000";
}

}  // namespace tallyfold::test
