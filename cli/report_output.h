#pragma once
// The output choice of tallyfold-cli: the report document (.rtf), its plain
// text (.txt, and standard output when no file is named) or an HTML page
// (.htm, .html), and the scan records. Files are replaced atomically.

#include <string>

#include "app/output_form.h"
#include "app/run_pipeline.h"

namespace tallyfold::cli {

struct OutputChoice {
  std::string path;  // empty: standard output
  OutputForm form = OutputForm::PlainText;
};

enum class OutputResult { Written, Stopped, Failed };

// Sorts the records, runs the job's report and writes it in the chosen form.
// Failed, with a message in error, when the output could not be written; a
// stopped run writes nothing and leaves any earlier file as it was.
OutputResult writeReportOutput(ScanResult& scan, const RunSettings& run, const OutputChoice& output,
                               RunControl& control, std::string& error);

}  // namespace tallyfold::cli
