#include "gui/scan_runner.h"

#include "app/report_file.h"

namespace tallyfold::gui {

ScanRunner::~ScanRunner() {
  if (!running()) return;
  control_->requestStop();
  worker_.join();
}

void ScanRunner::start(RunSettings settings, RunPreparation prepare) {
  control_ = std::make_unique<RunControl>();
  report_ = ScanReport{};
  done_ = false;
  worker_ = std::thread(&ScanRunner::run, this, std::move(settings), std::move(prepare));
}

void ScanRunner::run(RunSettings settings, RunPreparation prepare) {
  try {
    if (prepare) prepare(report_);
    // The outcome holds every record of the scan; only its counts and the
    // unreadable folders outlive the run, so the memory goes back at once.
    RunOutcome outcome;
    report_.written = runJobIntoReportFile(settings, *control_, outcome, report_.error) &&
                      !control_->stopRequested();
    report_.files = outcome.counters.files;
    report_.folders = outcome.counters.folders;
    report_.unreadable = std::move(outcome.scan.failures);
  } catch (...) {
    report_.failure = std::current_exception();
  }
  report_.cancelled = control_->wasCancelled();
  done_.store(true, std::memory_order_release);
}

ScanReport ScanRunner::finish() {
  if (worker_.joinable()) worker_.join();
  return std::move(report_);
}

}  // namespace tallyfold::gui
