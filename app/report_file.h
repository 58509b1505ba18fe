#pragma once
// The report file tmpfile.dmp in the application folder: the document of the
// last report run, which the window loads into its listing pane and the HTML
// export converts.

#include <string>

#include "app/run_pipeline.h"

namespace tallyfold {

// applicationFolder() + "/tmpfile.dmp".
std::string reportFilePath();

// Runs the job into the report file. The file is replaced atomically by the
// finished document, a cancelled run's included; a failed write or a stopped
// run leaves the previous report in place. False, with a message in error,
// when the file could not be written.
bool runJobIntoReportFile(const RunSettings& run, RunControl& control, RunOutcome& outcome,
                          std::string& error);

}  // namespace tallyfold
