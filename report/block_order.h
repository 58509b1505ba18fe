#pragma once
// The order of the files in one folder block of the detailed list, shared by
// the report and the machine-readable listings so that both show a folder's
// files in the same order.

#include <string_view>
#include <vector>

#include "scan/records.h"

namespace tallyfold {

class Collation;

// files: the file records of one folder path, in whole-list order. Returns
// them in the order of the sort choice ("Name", "Size" or "Date") and
// direction. Records of one folder path normally share one folder entry;
// overlapping scan locations can give a path two entries, whose files are
// then merged before sorting.
std::vector<RecordRef> orderBlockFiles(const RecordStore& store,
                                       const std::vector<RecordRef>& files,
                                       std::string_view sortField, bool ascending,
                                       const Collation& collation);

}  // namespace tallyfold
