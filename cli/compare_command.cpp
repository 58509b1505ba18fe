#include "cli/compare_command.h"

#include <cstdio>
#include <cstring>

#include "app/listing_compare.h"
#include "cli/cli_run.h"
#include "platform/file_facts.h"
#include "platform/printable_text.h"

namespace tallyfold::cli {

namespace {

void complain(const std::string& message) {
  std::fprintf(stderr, "tallyfold-cli: %s\n", printableText(message).c_str());
}

// The second argument is a listing when it names anything but a folder.
bool namesListing(const CliOptions& options) {
  if (options.folders.size() != 1) return false;
  const auto facts = statPath(options.folders.front());
  return !facts || !facts->isDirectory;
}

}  // namespace

int runCompare(const CliOptions& options, const RunSettings& run, RunControl& control) {
  bool written = true;
  std::string line;
  // Paths are shown as in messages: a name with a line break or an escape
  // sequence stays on its one line and cannot act on the terminal.
  auto visit = [&](ChangeMark mark, std::string_view path) {
    line.assign(1, static_cast<char>(mark));
    line.push_back(' ');
    line += printableText(path);
    line.push_back('\n');
    if (std::fwrite(line.data(), 1, line.size(), stdout) != line.size()) written = false;
  };
  const CompareOutcome outcome =
      namesListing(options)
          ? compareListingFiles(options.compare, options.folders.front(), control, visit)
          : compareListingWithScan(options.compare, run, control, visit);
  if (outcome.stopped || control.stopRequested()) return kExitInterrupted;
  if (!outcome.compared) {
    complain(outcome.error);
    return kCompareTrouble;
  }
  const CompareCounts& counts = outcome.counts;
  std::fprintf(stdout, "%llu added, %llu removed, %llu changed\n",
               static_cast<unsigned long long>(counts.added),
               static_cast<unsigned long long>(counts.removed),
               static_cast<unsigned long long>(counts.changed));
  if (std::fflush(stdout) != 0 || !written) {
    complain("cannot write to standard output");
    return kCompareTrouble;
  }
  for (const ReadFailure& failure : outcome.failures) {
    const std::string reason =
        failure.problem.empty() ? std::strerror(failure.error) : failure.problem;
    complain("cannot read '" + failure.path + "': " + reason);
  }
  // What could not be read may look removed: the answer is not sure.
  if (!outcome.failures.empty()) return kCompareTrouble;
  return counts.any() ? kCompareDiffers : kCompareSame;
}

}  // namespace tallyfold::cli
