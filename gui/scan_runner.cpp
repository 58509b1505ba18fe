#include "gui/scan_runner.h"

#include "app/records_report_file.h"
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

void ScanRunner::begin() {
  task_.wait();
  control_ = std::make_unique<RunControl>();
  control_->setListener([this](bool phaseChanged) { tellStatus(phaseChanged); });
  report_ = ScanReport{};
}

void ScanRunner::start(RunSettings settings, RunPreparation prepare) {
  begin();
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
    keepOutcome(settings, outcome);
  } catch (...) {
    report_.failure = std::current_exception();
  }
  report_.cancelled = control_->wasCancelled();
}

void ScanRunner::startFrom(RunSettings settings, RecordSource source) {
  begin();
  task_.start([this, settings = std::move(settings), source = std::move(source)] {
    runFrom(settings, source);
  });
}

void ScanRunner::runFrom(const RunSettings& settings, const RecordSource& source) {
  try {
    report_.startTime = static_cast<int64_t>(std::time(nullptr));
    KnownRecords records;
    RunSettings run = settings;
    if (source(*control_, records, run, report_.sourceError)) {
      report_.details = std::move(records.details);
      if (records.scanTime != 0) report_.startTime = records.scanTime;
      run.storedDetails = report_.details.get();
      RunOutcome outcome;
      report_.written = reportRecordsIntoReportFile(std::move(records.scan), run, *control_,
                                                    outcome, report_.error) &&
                        !control_->stopRequested();
      keepOutcome(run, outcome);
    }
  } catch (...) {
    report_.failure = std::current_exception();
  }
  report_.cancelled = control_->wasCancelled();
}

void ScanRunner::keepOutcome(const RunSettings& settings, RunOutcome& outcome) {
  report_.files = outcome.counters.files;
  report_.folders = outcome.counters.folders;
  report_.unreadable = std::move(outcome.scan.failures);
  // The records stay for the listings Save As makes from them; they are a
  // small part of what the pane holds.
  if (report_.written) {
    report_.scan = std::make_shared<ScanResult>(std::move(outcome.scan));
    report_.settings = settings;
  }
}

ScanReport ScanRunner::finish() {
  task_.wait();
  return std::move(report_);
}

}  // namespace tallyfold::gui
