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
#include "report/detail_source.h"

namespace tallyfold::gui {

struct ScanReport {
  bool written = false;        // the report file holds this run's document
  std::string error;           // why it could not be written
  std::string sourceError;     // why the records could not be had (startFrom)
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
  // What settings.storedDetails points into, for as long as the records are kept.
  std::shared_ptr<const DetailSource> details;
  int64_t startTime = 0;  // seconds since the epoch
};

// Runs first on the worker, before the walk (the saving of the default job,
// whose file writes would otherwise hold up the window).
using RunPreparation = std::function<void(ScanReport&)>;
// Gives the records of a run that reports what is already known (a scan kept
// in the catalogue) instead of walking; false, with a message, when it cannot.
// It may change the settings (the folders the report is of).
struct KnownRecords {
  ScanResult scan;
  // The files' details kept with the records; the report reads no file then.
  std::shared_ptr<const DetailSource> details;
  // When the kept scan was made (seconds since the epoch), for the listings
  // and pages saved from it; 0 for records that are new.
  int64_t scanTime = 0;
};
using RecordSource = std::function<bool(RunControl& control, KnownRecords& records,
                                        RunSettings& settings, std::string& error)>;

class ScanRunner : public QObject {
  Q_OBJECT

 public:
  ScanRunner();
  ~ScanRunner() override;

  void start(RunSettings settings, RunPreparation prepare = {});
  // A run whose records come from source; settings.job's locations name the
  // folders the report is of.
  void startFrom(RunSettings settings, RecordSource source);
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
  void begin();
  void run(const RunSettings& settings, const RunPreparation& prepare);
  void runFrom(const RunSettings& settings, const RecordSource& source);
  void keepOutcome(const RunSettings& settings, RunOutcome& outcome);
  void tellStatus(bool phaseChanged);

  std::unique_ptr<RunControl> control_ = std::make_unique<RunControl>();
  BackgroundTask task_;
  ScanReport report_;
};

}  // namespace tallyfold::gui
