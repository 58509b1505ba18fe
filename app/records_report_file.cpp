#include "app/records_report_file.h"

#include "app/line_sink.h"
#include "app/report_file.h"
#include "platform/app_folder.h"
#include "platform/text_file.h"

namespace tallyfold {

bool reportRecordsIntoReportFile(ScanResult scan, const RunSettings& run, RunControl& control,
                                 RunOutcome& outcome, std::string& error) {
  if (!ensureApplicationFolder()) {
    error = "cannot create the folder " + applicationFolder();
    return false;
  }
  AtomicFileWriter file(reportFilePath());
  LineSink sink(file);
  control.finishWalk();
  outcome.scan = std::move(scan);
  outcome.counters = reportScan(outcome.scan, run, sink, control);
  outcome.cancelled = control.wasCancelled();
  control.enterPhase(RunPhase::Finished);
  if (control.stopRequested()) return true;
  if (file.commit()) return true;
  error = file.error().empty() ? "cannot write " + reportFilePath() : file.error();
  return false;
}

}  // namespace tallyfold
