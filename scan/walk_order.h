#pragma once
// Putting one location's folders into walk order once they have all been read.
// The reading threads number the folders in the order they meet them; the links
// below say where each folder's entry stood in its parent, so the records can
// be written depth first, in each folder's entry order, whichever thread read
// which folder.

#include <cstdint>
#include <vector>

#include "scan/records.h"
#include "scan/scan_run.h"

namespace tallyfold {

struct FolderLinks {
  static constexpr uint32_t kNone = UINT32_MAX;
  uint32_t parent = kNone;
  uint32_t position = 0;    // the parent's files listed before this folder's entry
  uint32_t firstChild = 0;  // a folder's sub-folders are numbered together, in entry order
  uint32_t childCount = 0;
};

// The location's folders are store.folder(first + i) for the numbers i of
// links; number 0 is the location's own folder. Moves them, in the store, into
// walk order, appends one record per folder (when folder records are wanted)
// and per file in walk order, and returns the totals. walkOrder receives, for
// every number, the folder's place in walk order.
ScanTotals emitInWalkOrder(RecordStore& store, uint32_t first,
                           const std::vector<FolderLinks>& links, bool folderRecords,
                           std::vector<RecordRef>& records, std::vector<uint32_t>& walkOrder);

}  // namespace tallyfold
