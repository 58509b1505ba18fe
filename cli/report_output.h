#pragma once
// Sorts the records, runs the job's report and writes it in the form the
// output file's extension asks for: the RTF document (.rtf), its plain text
// (.txt, and standard output when no file is named) or an HTML page (.htm,
// .html). Files are replaced atomically.

#include <optional>
#include <string>

#include "app/job.h"
#include "report/report_settings.h"
#include "scan/scan_run.h"

namespace tallyfold::cli {

enum class OutputForm { Rtf, PlainText, Html };

// The form for an output path by its extension; empty for an unknown one.
std::optional<OutputForm> outputFormFor(const std::string& path);

struct ReportRun {
  const Job& job;
  const ReportSettings& settings;
  std::string outputPath;  // empty: plain text to standard output
  OutputForm form = OutputForm::PlainText;
};

// False, with a message in error, when the output could not be written.
bool writeReportOutput(ScanResult& scan, const ReportRun& run, CancelFlag& cancel,
                       ScanStatus& status, std::string& error);

}  // namespace tallyfold::cli
