#pragma once
// The walk of one scan location: its folder and admitted sub-folders are read
// on every core, and the records come out in walk order (depth first, entries
// in the order each folder's listing gives them, a sub-folder's records where
// its entry was met).

#include <string>
#include <string_view>

#include "scan/folder_reader.h"
#include "scan/scan_run.h"
#include "scan/walk_context.h"

namespace tallyfold {

// Walks one location: path is the location's text exactly as given ("/" is
// added when it does not end in one). Appends the records, the folders and the
// failures to result and returns the location's totals.
ScanTotals walkLocation(std::string_view path, const CurrentLocation& location,
                        WalkContext& context, ScanResult& result);

}  // namespace tallyfold
