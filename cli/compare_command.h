#pragma once
// tallyfold-cli --compare OLD.json [FOLDER | NEW.json]: what was added (+),
// removed (-) and changed (~) since a saved JSON listing, one path a line,
// then the count of each. The exit status is diff's: 0 the same, 1
// differences, 2 trouble.

#include "app/run_pipeline.h"
#include "cli/cli_options.h"

namespace tallyfold::cli {

enum CompareStatus { kCompareSame = 0, kCompareDiffers = 1, kCompareTrouble = 2 };

// run: the job assembled from the command line; without locations the old
// listing's locations are scanned again. A single argument that is no
// folder is read as the new listing.
int runCompare(const CliOptions& options, const RunSettings& run, RunControl& control);

}  // namespace tallyfold::cli
