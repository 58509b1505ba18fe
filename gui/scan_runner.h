#pragma once
// Runs a job into the report file on a background task. The window hears of
// the run's status texts at most ten times a second (each new phase at once,
// so none is skipped) and of its end by signals.

#include <QObject>
#include <QString>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/run_pipeline.h"
#include "gui/background_task.h"

namespace tallyfold::gui {

struct ScanReport {
  bool written = false;        // the report file holds this run's document
  std::string error;           // why it could not be written
  std::exception_ptr failure;  // an exception that ended the run
  bool cancelled = false;
  uint64_t files = 0;
  uint64_t folders = 0;
  std::vector<ReadFailure> unreadable;
  std::string jobNotSaved;  // why the default job could not be saved
  // The run's records and what it read, for the CSV and JSON listings of
  // Save As; empty when the run ended without a report.
  std::shared_ptr<ScanResult> scan;
  RunSettings settings;
  int64_t startTime = 0;  // seconds since the epoch
};

// Runs first on the worker, before the walk (the saving of the default job,
// whose file writes would otherwise hold up the window).
using RunPreparation = std::function<void(ScanReport&)>;

class ScanRunner : public QObject {
  Q_OBJECT

 public:
  ScanRunner();
  ~ScanRunner() override;

  void start(RunSettings settings, RunPreparation prepare = {});
  // From start() until finished() or finish().
  bool running() const { return task_.running(); }
  // The current run's control; valid from start() until the next start().
  RunControl& control() { return *control_; }
  // Waits for the run and hands over what it did.
  ScanReport finish();

 signals:
  // The run's status text; the last phase's ("Ready") is left to the window,
  // which shows it with the counts once the listing is in the pane.
  void statusChanged(const QString& text);
  void finished();

 private:
  void run(const RunSettings& settings, const RunPreparation& prepare);
  void tellStatus(bool phaseChanged);

  std::unique_ptr<RunControl> control_ = std::make_unique<RunControl>();
  BackgroundTask task_;
  ScanReport report_;
};

}  // namespace tallyfold::gui
