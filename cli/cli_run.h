#pragma once
// One run of tallyfold-cli: options, job, scan, then the records or the report.

namespace tallyfold::cli {

// Exit statuses.
enum ExitStatus {
  kExitDone = 0,
  kExitSomeUnreadable = 1,
  kExitUsage = 2,
  kExitOutputFailed = 3,
  kExitOutOfMemory = 3,  // the output is not written either
  kExitInterrupted = 130,
};

int runCli(int argc, char** argv);

}  // namespace tallyfold::cli
