#include "cli/cli_run.h"

#include <csignal>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>

#include "cli/cli_options.h"
#include "cli/job_assembly.h"
#include "cli/record_output.h"
#include "cli/report_output.h"
#include "cli/terminal_progress.h"
#include "platform/settings_store.h"
#include "report/report_settings.h"
#include "scan/exclusions.h"

#ifndef TALLYFOLD_VERSION
#define TALLYFOLD_VERSION "0"
#endif

namespace tallyfold::cli {

namespace {

constexpr const char* kProgram = "tallyfold-cli";

CancelFlag gCancel{false};
volatile std::sig_atomic_t gInterrupted = 0;

// Ctrl-C ends the walk early; the run then discards its output instead of
// leaving a half-written file.
extern "C" void onInterrupt(int) {
  gInterrupted = 1;
  gCancel.store(true);
}

void installInterruptHandlers() {
  struct sigaction action {};
  action.sa_handler = onInterrupt;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

int usageError(const std::string& message) {
  if (!message.empty()) std::fprintf(stderr, "%s: %s\n", kProgram, message.c_str());
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
    std::fprintf(stderr, "%s: cannot read '%s': %s\n", kProgram, failure.path.c_str(),
                 std::strerror(failure.error));
  }
}

}  // namespace

int runCli(int argc, char** argv) {
  CliOptions options;
  std::string error;
  if (!parseCliOptions(argc, argv, options, error)) return usageError(error);
  if (options.help) {
    std::fputs(usageText().c_str(), stdout);
    return kExitDone;
  }
  if (options.version) {
    std::printf("%s %s\n", kProgram, TALLYFOLD_VERSION);
    return kExitDone;
  }

  Job job;
  if (!assembleJob(options, job, error)) {
    std::fprintf(stderr, "%s: %s\n", kProgram, error.c_str());
    return kExitUsage;
  }
  ReportSettings settings = loadReportSettings(SettingsStore(std::string(kSettingsApplication)));
  if (!applySettingOverrides(options, settings, error)) return usageError(error);

  ReportRun run{job, settings, options.output, OutputForm::PlainText};
  if (!options.output.empty() && !options.records) {
    auto form = outputFormFor(options.output);
    if (!form)
      return usageError("cannot tell the output form of '" + options.output +
                        "': name it .rtf, .txt, .htm or .html");
    run.form = *form;
  }

  ScanRequest request;
  request.locations = job.locations;
  request.exclusions = loadExclusionList(exclusionListPath());
  request.folderRecords = job.reportType != ReportType::Details;

  installInterruptHandlers();
  TerminalProgress progress(!options.quiet);
  ScanResult scan;
  try {
    scan = runScan(request, gCancel, progress);
  } catch (const std::invalid_argument& bad) {
    progress.clear();
    return usageError(bad.what());
  }

  bool written = options.records ? writeRecords(scan, options.nulTerminated, stdout)
                                 : writeReportOutput(scan, run, gCancel, progress, error);
  progress.clear();
  if (gInterrupted) return kExitInterrupted;
  reportFailures(scan);
  if (!written) {
    std::fprintf(stderr, "%s: %s\n", kProgram,
                 error.empty() ? "cannot write the output" : error.c_str());
    return kExitOutputFailed;
  }
  return scan.failures.empty() ? kExitDone : kExitSomeUnreadable;
}

}  // namespace tallyfold::cli
