#include "output/html_export.h"

#include <algorithm>
#include <fstream>
#include <optional>

#include "output/text_lines.h"
#include "platform/text_file.h"

namespace tallyfold {

namespace {

uint64_t countReportLines(const std::string& reportPath) {
  std::ifstream in(reportPath, std::ios::binary);
  return in ? countTextLines(in) : 0;
}

bool cancelled(const CancelFlag* cancel) {
  return cancel != nullptr && cancel->load();
}

// Converts every line of the report; false when cancelled or a read failed.
bool convertReportLines(std::istream& report, uint64_t total, AtomicFileWriter& page,
                        const CancelFlag* cancel, const HtmlProgress& progress) {
  TextLineReader lines(report);
  // One line read ahead: whether the next line is empty tells a folder-list
  // line from a detailed-list row.
  std::string line, next;
  bool haveNext = lines.next(next);
  uint64_t done = 0;
  for (;;) {
    if (cancelled(cancel)) return false;
    if (!haveNext) break;
    line.swap(next);
    haveNext = lines.next(next);
    const bool beforeEmptyLine = haveNext && next.empty();
    if (std::optional<std::string> html = convertReportLine(line, beforeEmptyLine)) {
      page.writeLine(*html);
    }
    ++done;
    if (progress) progress(std::min(done, total), total);
  }
  return !report.bad();
}

}  // namespace

bool exportHtml(const std::string& reportPath, const std::string& htmlPath,
                std::string_view fontName, std::string_view fontSize, const CancelFlag* cancel,
                const HtmlProgress& progress, std::string* error) {
  auto failed = [&](const std::string& reason) {
    if (error) *error = reason;
    return false;
  };
  AtomicFileWriter page(htmlPath);
  if (!page.isOpen()) return failed(page.error());
  for (const std::string& line : htmlHeadLines(fontName, fontSize)) page.writeLine(line);

  std::ifstream report(reportPath, std::ios::binary);
  if (!report) {
    // No report was made yet: the page of the head lines stands for it.
    page.commit();
    return failed("cannot read the report " + reportPath);
  }
  const uint64_t total = countReportLines(reportPath);
  if (progress) progress(0, total);
  // A cancelled or failed page never replaces an earlier one.
  if (!convertReportLines(report, total, page, cancel, progress)) {
    return failed(cancelled(cancel) ? "cancelled" : "cannot read the report " + reportPath);
  }
  page.writeLine(kHtmlTailLine);
  if (!page.commit()) return failed(page.error());
  return true;
}

}  // namespace tallyfold
