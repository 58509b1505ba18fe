#pragma once
// The run of a job, shared by both front ends: scan every location, sort the
// records into report order, write the job's report into a sink. One
// RunControl carries the cancel flag and the progress that the front end polls.

#include <cstdint>

#include "app/job.h"
#include "report/report.h"
#include "report/report_settings.h"
#include "scan/exclusions.h"
#include "scan/run_control.h"
#include "scan/scan_run.h"

namespace tallyfold {

// What a run reads, taken once when it starts: the window's busy state keeps
// the user from changing any of it while the run goes on.
struct RunSettings {
  Job job;
  ReportSettings report;
  ExclusionLists exclusions;
  bool followLinks = false;  // enter links to folders, each real folder once
  unsigned threads = 0;      // folders read at once; 0: chosen by each file system
  // The listing's text colour, red in the low byte, then green, then blue:
  // black, or in the window the colour chosen last on the formatting bar.
  uint32_t textColour = 0;
  // A stored scan's details (see catalogue/): its report reads no file.
  const DetailSource* storedDetails = nullptr;
};

struct RunOutcome {
  ScanResult scan;  // after the report its records are in report order
  ReportCounters counters;
  bool cancelled = false;
};

// The walk of every scanned location of the job.
ScanResult scanJob(const RunSettings& run, RunControl& control);

// Sorts the scan's records into report order and writes the job's report into
// the sink. A cancelled report still closes its document. Files the report
// could not read for its columns join scan.failures.
ReportCounters reportScan(ScanResult& scan, const RunSettings& run, ReportSink& sink,
                          RunControl& control);

// Both, then the Finished phase.
RunOutcome runJob(const RunSettings& run, ReportSink& sink, RunControl& control);

}  // namespace tallyfold
