#pragma once
// The CSV and JSON listings of tallyfold-cli (-o FILE.csv, -o FILE.json) and
// its browsable page (--page -o FILE.html).

#include <cstdint>
#include <string>

#include "cli/report_output.h"

namespace tallyfold::cli {

bool isListingForm(OutputForm form);

// Writes the listing in the chosen form. Files whose detail columns could not
// be read join the scan's failures (they are named and make the exit status 1).
OutputResult writeListingOutput(ScanResult& scan, const RunSettings& run,
                                const OutputChoice& output, int64_t scanTime, RunControl& control,
                                std::string& error);

// Writes the browsable page of the scan to path, as listings are written.
OutputResult writePageOutput(ScanResult& scan, const RunSettings& run, const std::string& path,
                             int64_t scanTime, RunControl& control, std::string& error);

}  // namespace tallyfold::cli
