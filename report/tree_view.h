#pragma once
// The two tree listings: "Tree view" and "Tree view with file size". Each
// folder is a line drawn with "|-- " at its depth, each file a line one level
// deeper; the second adds each file's size in a right-aligned column.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "report/report.h"

namespace tallyfold {

// Both stop early when the run is cancelled, and still close the document.
ReportCounters writeTreeList(const ReportInput& input, ReportSink& sink, RunControl& control);
ReportCounters writeTreeSizeList(const ReportInput& input, ReportSink& sink, RunControl& control);

// "|  " repeated depth - 1 times: the bars of the levels above.
std::string treeIndent(int64_t depth);
// The branch drawn before a line at a depth: treeIndent(depth) then "|-- ".
std::string treeBranchPrefix(int64_t depth);

// The depth of a folder (path without trailing "/", but "/" itself) below the
// first scan location whose folder contains it: the location's own folder is
// depth 1, its sub-folders 2 and so on. A location contains a folder when its
// text (case included) is the folder or the folder continues it after a "/".
// The root "/" as a location: "/" is depth 1, "/usr" depth 2. A folder under no
// location counts from the root.
int64_t treeDepth(std::string_view folder, const std::vector<std::string>& locationFolders);

}  // namespace tallyfold
