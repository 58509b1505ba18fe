#include "scan/walk_order.h"

#include <utility>

namespace tallyfold {

namespace {

struct Frame {
  uint32_t number = 0;  // in reading order
  uint32_t index = 0;   // in the store, in walk order
  uint32_t nextFile = 0;
  uint32_t nextChild = 0;
};

class WalkOrderEmitter {
 public:
  WalkOrderEmitter(RecordStore& store, uint32_t first, const std::vector<FolderLinks>& links,
                   bool folderRecords, std::vector<RecordRef>& records,
                   std::vector<uint32_t>& walkOrder)
      : store_(store),
        first_(first),
        links_(links),
        folderRecords_(folderRecords),
        records_(records),
        walkOrder_(walkOrder) {}

  ScanTotals emit() {
    walkOrder_.assign(links_.size(), 0);
    if (links_.empty()) return totals_;
    enter(0);
    while (!stack_.empty()) step();
    totals_.folders = links_.size() - 1;  // the location's own folder is not counted
    return totals_;
  }

 private:
  void enter(uint32_t number) {
    uint32_t index = first_ + nextPlace_++;
    walkOrder_[number] = index - first_;
    const FolderEntry& folder = store_.folder(first_ + number);
    for (const FileEntry& file : folder.files()) totals_.totalSize += file.size;
    totals_.files += folder.fileCount();
    if (folderRecords_) records_.push_back(RecordRef{index, RecordRef::kFolderRecord});
    stack_.push_back(Frame{number, index, 0, 0});
  }

  // Writes the top folder's files up to its next sub-folder's entry, then
  // enters that sub-folder; a folder with nothing left is done.
  void step() {
    Frame& top = stack_.back();
    const FolderLinks& links = links_[top.number];
    uint32_t fileCount = store_.folder(first_ + top.number).fileCount();
    bool childLeft = top.nextChild < links.childCount;
    uint32_t child = links.firstChild + top.nextChild;
    uint32_t filesUpTo = childLeft ? links_[child].position : fileCount;
    for (; top.nextFile < filesUpTo; ++top.nextFile) {
      records_.push_back(RecordRef{top.index, top.nextFile});
    }
    if (childLeft) {
      ++top.nextChild;
      enter(child);  // invalidates top
    } else {
      stack_.pop_back();
    }
  }

  RecordStore& store_;
  uint32_t first_;
  const std::vector<FolderLinks>& links_;
  bool folderRecords_;
  std::vector<RecordRef>& records_;
  std::vector<uint32_t>& walkOrder_;
  std::vector<Frame> stack_;
  ScanTotals totals_;
  uint32_t nextPlace_ = 0;
};

// Moves every folder to its place in walk order, in place, one cycle of the
// permutation after the other.
void permuteFolders(RecordStore& store, uint32_t first, const std::vector<uint32_t>& place) {
  std::vector<bool> done(place.size(), false);
  for (uint32_t start = 0; start < place.size(); ++start) {
    if (done[start]) continue;
    done[start] = true;
    FolderEntry carried = std::move(store.folder(first + start));
    for (uint32_t at = place[start]; at != start; at = place[at]) {
      std::swap(carried, store.folder(first + at));
      done[at] = true;
    }
    store.folder(first + start) = std::move(carried);
  }
}

}  // namespace

ScanTotals emitInWalkOrder(RecordStore& store, uint32_t first,
                           const std::vector<FolderLinks>& links, bool folderRecords,
                           std::vector<RecordRef>& records, std::vector<uint32_t>& walkOrder) {
  ScanTotals totals =
      WalkOrderEmitter(store, first, links, folderRecords, records, walkOrder).emit();
  permuteFolders(store, first, walkOrder);
  return totals;
}

}  // namespace tallyfold
