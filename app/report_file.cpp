#include "app/report_file.h"

#include "platform/app_folder.h"
#include "platform/text_file.h"

namespace tallyfold {

namespace {

class FileSink : public ReportSink {
 public:
  explicit FileSink(AtomicFileWriter& file) : file_(file) {}
  void writeLine(std::string_view line) override { file_.writeLine(line); }

 private:
  AtomicFileWriter& file_;
};

}  // namespace

std::string reportFilePath() {
  return applicationFile("tmpfile.dmp");
}

bool writeReportFile(const ReportInput& input, CancelFlag& cancel, ScanStatus& status,
                     ReportCounters& counters, std::string& error) {
  if (!ensureApplicationFolder()) {
    error = "cannot create the folder " + applicationFolder();
    return false;
  }
  AtomicFileWriter file(reportFilePath());
  FileSink sink(file);
  counters = writeReport(input, sink, cancel, status);
  if (file.commit()) return true;
  error = file.error().empty() ? "cannot write " + reportFilePath() : file.error();
  return false;
}

}  // namespace tallyfold
