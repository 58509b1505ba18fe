#pragma once
// The report file tmpfile.dmp in the application folder: the document of the
// last report run, which the window loads into its listing pane and the HTML
// export converts.

#include <string>

#include "report/report.h"

namespace tallyfold {

// applicationFolder() + "/tmpfile.dmp".
std::string reportFilePath();

// Runs the report into the report file, replacing it atomically (a failed
// write leaves the previous report in place). False, with a message in error,
// when the file could not be written.
bool writeReportFile(const ReportInput& input, CancelFlag& cancel, ScanStatus& status,
                     ReportCounters& counters, std::string& error);

}  // namespace tallyfold
