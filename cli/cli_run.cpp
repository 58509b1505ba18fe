#include "cli/cli_run.h"

#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

#include "cli/catalogue_command.h"
#include "cli/cli_options.h"
#include "cli/compare_command.h"
#include "cli/job_assembly.h"
#include "cli/listing_output.h"
#include "cli/record_output.h"
#include "cli/report_output.h"
#include "cli/terminal_progress.h"
#include "platform/iso_time.h"
#include "platform/printable_text.h"
#include "platform/settings_store.h"
#include "platform/stat_ring.h"
#include "report/report_settings.h"
#include "scan/exclusions.h"

#ifndef TALLYFOLD_VERSION
#define TALLYFOLD_VERSION "0"
#endif

namespace tallyfold::cli {

namespace {

constexpr const char* kProgram = "tallyfold-cli";

// The run the signal handlers stop; set while a run goes on.
std::atomic<RunControl*> gRunControl{nullptr};

// SIGINT and SIGTERM stop the run: every loop of the walk, the sort, the
// report and the long reads polls the flag, and the output that was not yet
// in place is discarded instead of left half-written.
extern "C" void onStopSignal(int) {
  if (RunControl* control = gRunControl.load()) control->requestStop();
}

void installStopHandlers() {
  struct sigaction action {};
  action.sa_handler = onStopSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

// Every message names paths and texts as they are, with control characters
// and invalid UTF-8 shown as escapes: a folder named "\e[2J" must not clear
// the user's terminal.
void say(const std::string& message) {
  std::fprintf(stderr, "%s: %s\n", kProgram, printableText(message).c_str());
}

int usageError(const std::string& message) {
  if (!message.empty()) say(message);
  std::fprintf(stderr, "Try '%s --help' for more information.\n", kProgram);
  return kExitUsage;
}

bool applySettingOverrides(const CliOptions& options, ReportSettings& settings,
                           std::string& error) {
  for (const auto& [name, value] : options.settings) {
    if (!setReportSetting(settings, name, value, error)) return false;
  }
  return true;
}

void reportFailures(const ScanResult& scan) {
  for (const auto& failure : scan.failures) {
    const std::string reason =
        failure.problem.empty() ? std::strerror(failure.error) : failure.problem;
    say("cannot read '" + failure.path + "': " + reason);
  }
}

// How the walk examined the entries, for --verbose.
std::string walkMethodText(int ringRefusal) {
  if (ringRefusal == 0 && ringOnLocalDisks()) {
    return "walk: io_uring, up to 128 look-ups in flight per thread, on every file system";
  }
  if (ringRefusal == 0) {
    return "walk: io_uring, up to 128 look-ups in flight per thread, on NFS, SMB, FUSE, 9p and "
           "Ceph; one look-up per call (getdents64 + fstatat) on local disks";
  }
  const std::string reason = ringRefusal == kRingTurnedOff ? "turned off by TALLYFOLD_WALK=plain"
                                                           : std::strerror(ringRefusal);
  return "walk: one look-up per call (getdents64 + fstatat); io_uring: " + reason;
}

// Help and version texts go to standard output, whose failure (a full disk,
// a closed pipe) is an output failure like any other.
int printText(const std::string& text) {
  const bool written = std::fputs(text.c_str(), stdout) >= 0 && std::fflush(stdout) == 0;
  return written ? kExitDone : kExitOutputFailed;
}

}  // namespace

int runCli(int argc, char** argv) {
  CliOptions options;
  std::string error;
  if (!parseCliOptions(argc, argv, options, error)) return usageError(error);
  if (options.help) return printText(usageText());
  if (options.version) return printText(std::string(kProgram) + " " + TALLYFOLD_VERSION + "\n");

  RunSettings run;
  if (!options.compare.empty() && (options.records || !options.output.empty()))
    return usageError("--compare prints to standard output; it takes no -o or --records");
  if (!options.compare.empty() && options.folders.size() > 1)
    return usageError("--compare takes one FOLDER or listing at most");
  if (!assembleJob(options, run.job, error)) return usageError(error);
  // Without FOLDER or job, a comparison scans the old listing's locations.
  if (!options.compare.empty() && options.folders.empty() && options.jobFile.empty())
    run.job.locations.clear();
  run.followLinks = options.followLinks;
  run.threads = options.threads;
  run.report = loadReportSettings(SettingsStore(std::string(kSettingsApplication)));
  if (!applySettingOverrides(options, run.report, error)) return usageError(error);
  std::string exclusionProblem;
  run.exclusions = loadExclusionList(exclusionListPath(), &exclusionProblem);
  run.exclusions.skipHiddenFolders = options.skipHiddenFolders;
  // The run goes on without the lists, as the window program would, but the
  // user learns why nothing is excluded.
  if (!exclusionProblem.empty()) say("warning: " + exclusionProblem + "; nothing is excluded");

  if (options.page && (options.records || !options.compare.empty()))
    return usageError("--page takes neither --records nor --compare");
  if (options.page && isCatalogueCommand(options) && options.fromScan.empty())
    return usageError("--page makes the page of a scan: of FOLDER, a job or --from-scan");
  if (options.page && options.output.empty())
    return usageError("--page writes a file: name it with -o FILE.html");
  OutputChoice output{options.output, OutputForm::PlainText};
  if (!options.output.empty() && !options.records && !options.page) {
    auto form = outputFormOf(options.output);
    if (!form)
      return usageError("cannot tell the output form of '" + options.output +
                        "': name it .rtf, .txt, .htm, .html, .csv or .json");
    output.form = *form;
  }

  RunControl control;
  gRunControl.store(&control);
  installStopHandlers();
  if (isCatalogueCommand(options)) {
    // Only a new scan takes long enough to show its progress.
    TerminalProgress progress(control, !options.quiet && options.add);
    const int status = runCatalogueCommand(options, run, output, control);
    progress.stop();
    return status;
  }
  TerminalProgress progress(control, !options.quiet);
  if (!options.compare.empty()) {
    const int status = runCompare(options, run, control);
    progress.stop();
    return status;
  }
  const int64_t scanTime = currentTime();
  ScanResult scan = scanJob(run, control);
  OutputResult result = OutputResult::Stopped;
  if (!control.stopRequested()) {
    result = options.page ? writePageOutput(scan, run, options.output, scanTime, control, error)
             : options.records ? (writeRecords(scan, options.nulTerminated, options.output, error)
                                      ? OutputResult::Written
                                      : OutputResult::Failed)
             : isListingForm(output.form)
                 ? writeListingOutput(scan, run, output, scanTime, control, error)
                 : writeReportOutput(scan, run, output, control, error);
  }
  progress.stop();
  if (options.verbose) say(walkMethodText(scan.ringRefusal));
  if (result == OutputResult::Stopped) return kExitInterrupted;
  reportFailures(scan);
  if (result == OutputResult::Failed) {
    say(error.empty() ? "cannot write the output" : error);
    return kExitOutputFailed;
  }
  return scan.failures.empty() ? kExitDone : kExitSomeUnreadable;
}

}  // namespace tallyfold::cli
