#include "cli/report_output.h"

#include <cstdio>
#include <fstream>

#include "app/line_sink.h"
#include "output/html_export.h"
#include "output/plain_text.h"
#include "platform/temp_file.h"
#include "platform/text_file.h"

namespace tallyfold::cli {

namespace {

OutputResult writePlainTextToStandardOutput(const std::string& rtfPath, std::string& error) {
  std::ifstream rtf(rtfPath, std::ios::binary);
  bool failed = false;
  convertRtfToText(rtf, [&failed](std::string_view text) {
    if (!failed && std::fwrite(text.data(), 1, text.size(), stdout) != text.size()) failed = true;
  });
  if (std::fflush(stdout) != 0) failed = true;
  if (!failed) return OutputResult::Written;
  error = "cannot write to standard output";
  return OutputResult::Failed;
}

OutputResult writeHtml(const TemporaryFile& rtf, const RunSettings& run, const OutputChoice& output,
                       RunControl& control, std::string& error) {
  control.enterPhase(RunPhase::Exporting);
  auto progress = [&control](uint64_t done, uint64_t total) { control.setExported(done, total); };
  std::string reason;
  if (exportHtml(rtf.path(), output.path, run.job.fontName, run.job.fontSize, &control.cancelFlag(),
                 progress, &reason)) {
    return OutputResult::Written;
  }
  if (control.stopRequested()) return OutputResult::Stopped;
  error = reason;
  return OutputResult::Failed;
}

OutputResult writePlainTextFile(const TemporaryFile& rtf, const OutputChoice& output,
                                RunControl& control, std::string& error) {
  control.enterPhase(RunPhase::Exporting);
  AtomicFileWriter text(output.path);
  if (!convertRtfFileToText(rtf.path(), text) || control.stopRequested()) {
    if (control.stopRequested()) return OutputResult::Stopped;
  } else if (text.commit()) {
    return OutputResult::Written;
  }
  error = text.error().empty() ? "cannot write '" + output.path + "'" : text.error();
  return OutputResult::Failed;
}

OutputResult convertDocument(const TemporaryFile& rtf, const RunSettings& run,
                             const OutputChoice& output, RunControl& control, std::string& error) {
  if (output.path.empty()) return writePlainTextToStandardOutput(rtf.path(), error);
  if (output.form == OutputForm::Html) return writeHtml(rtf, run, output, control, error);
  return writePlainTextFile(rtf, output, control, error);
}

}  // namespace

OutputResult writeReportOutput(ScanResult& scan, const RunSettings& run, const OutputChoice& output,
                               RunControl& control, std::string& error) {
  if (output.form == OutputForm::RichText && !output.path.empty()) {
    AtomicFileWriter document(output.path);
    LineSink sink(document);
    reportScan(scan, run, sink, control);
    if (control.stopRequested()) return OutputResult::Stopped;
    if (document.commit()) return OutputResult::Written;
    error = document.error();
    return OutputResult::Failed;
  }
  TemporaryFile rtf("tallyfold-report");
  if (!rtf.isOpen()) {
    error = rtf.error();
    return OutputResult::Failed;
  }
  LineSink sink(rtf);
  reportScan(scan, run, sink, control);
  if (!rtf.finish()) {
    error = rtf.error();
    return OutputResult::Failed;
  }
  if (control.stopRequested()) return OutputResult::Stopped;
  return convertDocument(rtf, run, output, control, error);
}

}  // namespace tallyfold::cli
