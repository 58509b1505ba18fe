#pragma once
// Builds the job of one command-line run: the job file's values, then the
// FOLDER rows, then the options that override the job.

#include <string>

#include "app/job.h"
#include "cli/cli_options.h"

namespace tallyfold::cli {

// False, with a message, when the job file cannot be read.
bool assembleJob(const CliOptions& options, Job& job, std::string& error);

// A FOLDER argument as a location text: trailing "/" removed (but "/" kept).
std::string locationText(std::string folder);

}  // namespace tallyfold::cli
