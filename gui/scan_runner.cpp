#include "gui/scan_runner.h"

#include "app/report_file.h"

#include <ctime>

namespace tallyfold::gui {

namespace {

constexpr int kStatusIntervalMs = 100;

}  // namespace

ScanRunner::ScanRunner() : task_(kStatusIntervalMs) {
  connect(&task_, &BackgroundTask::finished, this, &ScanRunner::finished);
}

ScanRunner::~ScanRunner() {
  if (!running()) return;
  control_->requestStop();
  task_.wait();
}

void ScanRunner::start(RunSettings settings, RunPreparation prepare) {
  task_.wait();
  control_ = std::make_unique<RunControl>();
  control_->setListener([this](bool phaseChanged) { tellStatus(phaseChanged); });
  report_ = ScanReport{};
  task_.start([this, settings = std::move(settings), prepare = std::move(prepare)] {
    run(settings, prepare);
  });
}

// On the run's threads: a new phase's first text always goes out, so the
// window shows "please wait..." before the formatting counts.
void ScanRunner::tellStatus(bool phaseChanged) {
  if (control_->phase() == RunPhase::Finished) return;
  if (!phaseChanged && !task_.progressDue()) return;
  QString text = QString::fromStdString(control_->statusText());
  task_.post([this, text] { emit statusChanged(text); });
}

void ScanRunner::run(const RunSettings& settings, const RunPreparation& prepare) {
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
      report_.settings = settings;
    }
  } catch (...) {
    report_.failure = std::current_exception();
  }
  report_.cancelled = control_->wasCancelled();
}

ScanReport ScanRunner::finish() {
  task_.wait();
  return std::move(report_);
}

}  // namespace tallyfold::gui
