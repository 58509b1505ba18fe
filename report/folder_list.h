#pragma once
// The folder list: every walked folder's full path, one per line, in the
// order of the records, then an optional count.

#include "report/report.h"

namespace tallyfold {

ReportCounters writeFolderList(const ReportInput& input, ReportSink& sink, ScanStatus& status);

}  // namespace tallyfold
