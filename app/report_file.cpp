#include "app/report_file.h"

#include "app/line_sink.h"
#include "platform/app_folder.h"
#include "platform/text_file.h"

namespace tallyfold {

std::string reportFilePath() {
  return applicationFile("tmpfile.dmp");
}

bool runJobIntoReportFile(const RunSettings& run, RunControl& control, RunOutcome& outcome,
                          std::string& error) {
  if (!ensureApplicationFolder()) {
    error = "cannot create the folder " + applicationFolder();
    return false;
  }
  AtomicFileWriter file(reportFilePath());
  LineSink sink(file);
  outcome = runJob(run, sink, control);
  if (control.stopRequested()) return true;
  if (file.commit()) return true;
  error = file.error().empty() ? "cannot write " + reportFilePath() : file.error();
  return false;
}

}  // namespace tallyfold
