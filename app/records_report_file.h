#pragma once
// The report file made from records that came from elsewhere than a walk (a
// scan kept in the catalogue, or one folder of it): the same sort and report
// as a scan's, into the same file the window's pane loads.

#include <string>

#include "app/run_pipeline.h"

namespace tallyfold {

// Like runJobIntoReportFile, with scan in place of the walk of run.job's
// locations (which name the folders the report is of).
bool reportRecordsIntoReportFile(ScanResult scan, const RunSettings& run, RunControl& control,
                                 RunOutcome& outcome, std::string& error);

}  // namespace tallyfold
