#pragma once
// The folder list: every walked folder's full path, one per line, in the
// order of the records, then an optional count.

#include "report/report.h"

namespace tallyfold {

// Stops early when the run is cancelled, and still closes the document.
ReportCounters writeFolderList(const ReportInput& input, ReportSink& sink, RunControl& control);

}  // namespace tallyfold
