#include "app/run_pipeline.h"

#include "platform/locale_format.h"
#include "report/collation.h"
#include "report/sorting.h"
#include "scan/tag_reader_pool.h"

namespace tallyfold {

namespace {

ReportOptions reportOptionsOf(const RunSettings& run) {
  const Job& job = run.job;
  ReportOptions options;
  options.type = job.reportType;
  options.fontName = job.fontName;
  options.fontSize = job.fontSize;
  options.colour = run.textColour;
  options.sort = job.sort;
  options.ascending = job.ascending;
  for (const ScanLocation& location : job.locations) {
    options.locationFolders.push_back(location.folder);
  }
  return options;
}

}  // namespace

ScanResult scanJob(const RunSettings& run, RunControl& control) {
  ScanRequest request;
  request.locations = run.job.locations;
  request.exclusions = run.exclusions;
  request.folderRecords = run.job.reportType != ReportType::Details;
  request.followLinks = run.followLinks;
  // The readers load their libraries while the folders are walked.
  if (run.report.anyTagColumn() || run.report.anyMediaColumn())
    TagReaderPool::shared().startEarly();
  request.threads = run.threads;
  ScanResult scan = runScan(request, control);
  control.finishWalk();
  return scan;
}

ReportCounters reportScan(ScanResult& scan, const RunSettings& run, ReportSink& sink,
                          RunControl& control) {
  const Collation collation = Collation::forUserLocale();
  control.enterPhase(RunPhase::Sorting);
  scan.records = sortRecords(scan.store, std::move(scan.records), collation, &control.cancelFlag());
  const ReportOptions options = reportOptionsOf(run);
  const LocaleFormat locale = LocaleFormat::current();
  const ReportInput input{scan.store, scan.records, run.report,       options,
                          locale,     collation,    run.storedDetails};
  control.startFormatting(FormattingCount::None, scan.records.size(), locale.decimalPoint);
  ReportCounters counters = writeReport(input, sink, control);
  // Files whose columns could not be read are named with the folders the
  // walk could not read, in one list for the front end.
  for (ReadFailure& failure : counters.unreadable) scan.failures.push_back(std::move(failure));
  counters.unreadable.clear();
  return counters;
}

RunOutcome runJob(const RunSettings& run, ReportSink& sink, RunControl& control) {
  RunOutcome outcome;
  outcome.scan = scanJob(run, control);
  outcome.counters = reportScan(outcome.scan, run, sink, control);
  outcome.cancelled = control.wasCancelled();
  control.enterPhase(RunPhase::Finished);
  return outcome;
}

}  // namespace tallyfold
