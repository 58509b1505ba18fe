#include "cli/report_output.h"

#include <cctype>
#include <cstdio>
#include <fstream>

#include "output/html_export.h"
#include "output/plain_text.h"
#include "platform/locale_format.h"
#include "platform/temp_file.h"
#include "platform/text_file.h"
#include "report/collation.h"
#include "report/report.h"
#include "report/sorting.h"

namespace tallyfold::cli {

namespace {

template <class Writer>
class LineSink : public ReportSink {
 public:
  explicit LineSink(Writer& writer) : writer_(writer) {}
  void writeLine(std::string_view line) override { writer_.writeLine(line); }

 private:
  Writer& writer_;
};

ReportKind reportKindOf(ReportType type) {
  switch (type) {
    case ReportType::Tree:
      return ReportKind::Tree;
    case ReportType::TreeWithSize:
      return ReportKind::TreeWithSize;
    case ReportType::FolderList:
      return ReportKind::FolderList;
    case ReportType::Details:
      break;
  }
  return ReportKind::Details;
}

ReportOptions reportOptionsOf(const Job& job) {
  ReportOptions options;
  options.kind = reportKindOf(job.reportType);
  options.fontName = job.fontName;
  options.fontSize = job.fontSize;
  options.sort = job.sort;
  options.ascending = job.ascending;
  for (const auto& location : job.locations) options.locationFolders.push_back(location.folder);
  return options;
}

// Sorts the records into the whole-list order and writes the report document.
template <class Writer>
void writeDocument(ScanResult& scan, const ReportRun& run, Writer& writer, CancelFlag& cancel,
                   ScanStatus& status) {
  Collation collation = Collation::forUserLocale();
  status.showStatus("Initializing format engine, please wait...");
  std::vector<RecordRef> sorted = sortRecords(scan.store, std::move(scan.records), collation);
  scan.records.clear();
  status.showStatus("please wait...");
  ReportOptions options = reportOptionsOf(run.job);
  LocaleFormat locale = LocaleFormat::current();
  ReportInput input{scan.store, sorted, run.settings, options, locale, collation};
  LineSink<Writer> sink(writer);
  writeReport(input, sink, cancel, status);
}

bool writePlainTextToStandardOutput(const std::string& rtfPath, std::string& error) {
  std::ifstream rtf(rtfPath, std::ios::binary);
  bool failed = false;
  convertRtfToText(rtf, [&failed](std::string_view text) {
    if (!failed && std::fwrite(text.data(), 1, text.size(), stdout) != text.size()) failed = true;
  });
  if (std::fflush(stdout) != 0) failed = true;
  if (failed) error = "cannot write to standard output";
  return !failed;
}

bool convertDocument(const TemporaryFile& rtf, const ReportRun& run, CancelFlag& cancel,
                     ScanStatus& status, std::string& error) {
  if (run.outputPath.empty()) return writePlainTextToStandardOutput(rtf.path(), error);
  if (run.form == OutputForm::Html) {
    auto progress = [&status](uint64_t done, uint64_t total) {
      if (done % 1000 == 0) {
        status.showStatus("Exporting in html format... " + std::to_string(done) + " / " +
                          std::to_string(total));
      }
    };
    if (exportHtml(rtf.path(), run.outputPath, run.job.fontName, run.job.fontSize, &cancel,
                   progress)) {
      return true;
    }
    error = "cannot write '" + run.outputPath + "'";
    return cancel.load();
  }
  AtomicFileWriter text(run.outputPath);
  if (convertRtfFileToText(rtf.path(), text) && !cancel.load() && text.commit()) return true;
  error = text.error().empty() ? "cannot write '" + run.outputPath + "'" : text.error();
  return cancel.load();
}

}  // namespace

std::optional<OutputForm> outputFormFor(const std::string& path) {
  auto slash = path.rfind('/');
  std::string name = path.substr(slash == std::string::npos ? 0 : slash + 1);
  auto dot = name.rfind('.');
  if (dot == std::string::npos) return std::nullopt;
  std::string extension = name.substr(dot);
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (extension == ".rtf") return OutputForm::Rtf;
  if (extension == ".txt") return OutputForm::PlainText;
  if (extension == ".htm" || extension == ".html") return OutputForm::Html;
  return std::nullopt;
}

bool writeReportOutput(ScanResult& scan, const ReportRun& run, CancelFlag& cancel,
                       ScanStatus& status, std::string& error) {
  if (run.form == OutputForm::Rtf && !run.outputPath.empty()) {
    AtomicFileWriter document(run.outputPath);
    writeDocument(scan, run, document, cancel, status);
    // An interrupted run keeps whatever file was there before.
    if (cancel.load()) return true;
    if (document.commit()) return true;
    error = document.error();
    return false;
  }
  TemporaryFile rtf("tallyfold-report");
  if (!rtf.isOpen()) {
    error = rtf.error();
    return false;
  }
  writeDocument(scan, run, rtf, cancel, status);
  if (!rtf.finish()) {
    error = rtf.error();
    return false;
  }
  if (cancel.load()) return true;
  return convertDocument(rtf, run, cancel, status, error);
}

}  // namespace tallyfold::cli
