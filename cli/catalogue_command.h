#pragma once
// The catalogue commands of tallyfold-cli: --add, --scans, --find,
// --from-scan, --duplicates, --remove-scan, --rename-scan and --import.
// (--compare with stored scans is in compare_command.)

#include <memory>
#include <string>

#include "app/run_pipeline.h"
#include "catalogue/catalogue.h"
#include "cli/cli_options.h"
#include "cli/report_output.h"

namespace tallyfold::cli {

bool isCatalogueCommand(const CliOptions& options);

// The run's job, report settings and exclusions are assembled; output is
// the -o choice.
int runCatalogueCommand(const CliOptions& options, RunSettings& run, const OutputChoice& output,
                        RunControl& control);

// The catalogue of --catalogue (or the default one); empty, with the
// message said, when it cannot be used: then status holds the exit status.
std::unique_ptr<Catalogue> openCatalogue(const CliOptions& options, CatalogueAccess access,
                                         int& status);

// The exit status of a catalogue fault, the fault's message said.
int catalogueFailure(const CatalogueError& error);

}  // namespace tallyfold::cli
