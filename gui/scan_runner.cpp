#include "gui/scan_runner.h"

#include "app/report_file.h"

#include <ctime>

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
    report_.startTime = static_cast<int64_t>(std::time(nullptr));
    RunOutcome outcome;
    report_.written = runJobIntoReportFile(settings, *control_, outcome, report_.error) &&
                      !control_->stopRequested();
    report_.files = outcome.counters.files;
    report_.folders = outcome.counters.folders;
    report_.unreadable = std::move(outcome.scan.failures);
    // The records stay for the listings Save As makes from them; they are a
    // small part of what the pane holds.
    if (report_.written) {
      report_.scan = std::make_shared<ScanResult>(std::move(outcome.scan));
      report_.settings = std::move(settings);
    }
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
