#include "report/block_order.h"

#include <algorithm>

#include "report/sorting.h"

namespace tallyfold {

std::vector<RecordRef> orderBlockFiles(const RecordStore& store,
                                       const std::vector<RecordRef>& files,
                                       std::string_view sortField, bool ascending,
                                       const Collation& collation) {
  if (files.empty()) return files;
  const uint32_t folder = files.front().folder;
  const bool oneEntry = std::all_of(
      files.begin(), files.end(), [folder](const RecordRef& ref) { return ref.folder == folder; });
  std::vector<uint32_t> indexes(files.size());
  std::vector<RecordRef> sorted(files.size());
  if (oneEntry) {
    std::transform(files.begin(), files.end(), indexes.begin(),
                   [](const RecordRef& ref) { return ref.file; });
    indexes = sortFolderFiles(store, folder, std::move(indexes), sortField, ascending, collation);
    std::transform(indexes.begin(), indexes.end(), sorted.begin(), [folder](uint32_t index) {
      return RecordRef{folder, index};
    });
    return sorted;
  }
  RecordStore merged;
  const uint32_t mergedFolder = merged.addFolder(store.folderPath(files.front()));
  std::transform(files.begin(), files.end(), indexes.begin(), [&](const RecordRef& ref) {
    return merged.addFile(mergedFolder, store.name(ref), store.file(ref));
  });
  indexes =
      sortFolderFiles(merged, mergedFolder, std::move(indexes), sortField, ascending, collation);
  std::transform(indexes.begin(), indexes.end(), sorted.begin(),
                 [&files](uint32_t index) { return files[index]; });
  return sorted;
}

}  // namespace tallyfold
