#pragma once
// The one in-place sort of the program: quicksort that always recurses into the
// smaller part, with insertion sort for ranges of 61 elements or fewer. It is
// not stable, so the order of elements that compare equal is the one this
// scheme gives; every sort of records and keys goes through it.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "scan/records.h"
#include "scan/run_control.h"

namespace tallyfold {

class Collation;

// Sorts a[0..n) in place. before(x, y) must be a strict weak order that already
// includes the direction (x sorts strictly before y).
template <class T, class Before>
void sortRange(std::vector<T>& a, Before before);

// The whole-list order of the scan's records, ascending: folder fields compare
// component by component (collation first, then the exact bytes, so distinct
// folders never compare equal), then the rest of the record "name|size" by the
// collation. A folder's records and its sub-tree stay together, and a folder
// comes before its sub-folders. A cancel hands the records back in the order
// they came.
std::vector<RecordRef> sortRecords(const RecordStore& store, std::vector<RecordRef> records,
                                   const Collation& collation, const CancelFlag* cancel = nullptr);

// The order of one folder's files in the detailed list, by the sort choice
// "Name", "Size" or "Date" (last-modified day, local time) and direction.
// Takes and returns file indexes of the folder.
std::vector<uint32_t> sortFolderFiles(const RecordStore& store, uint32_t folder,
                                      std::vector<uint32_t> files, std::string_view sortField,
                                      bool ascending, const Collation& collation);

}  // namespace tallyfold

#include "report/sorting_impl.h"
