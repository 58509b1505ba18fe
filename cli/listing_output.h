#pragma once
// The CSV and JSON listings of tallyfold-cli (-o FILE.csv, -o FILE.json).

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

}  // namespace tallyfold::cli
