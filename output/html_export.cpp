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
  std::string line;
  uint64_t done = 0;
  for (;;) {
    if (cancelled(cancel)) return false;
    if (!lines.next(line)) break;
    if (std::optional<std::string> html = convertReportLine(line)) page.writeLine(*html);
    ++done;
    if (progress) progress(std::min(done, total), total);
  }
  return !report.bad();
}

}  // namespace

bool exportHtml(const std::string& reportPath, const std::string& htmlPath,
                std::string_view fontName, std::string_view fontSize, const CancelFlag* cancel,
                const HtmlProgress& progress) {
  AtomicFileWriter page(htmlPath);
  if (!page.isOpen()) return false;
  for (const std::string& line : htmlHeadLines(fontName, fontSize)) page.writeLine(line);

  std::ifstream report(reportPath, std::ios::binary);
  bool complete = false;
  if (report) {
    const uint64_t total = countReportLines(reportPath);
    if (progress) progress(0, total);
    complete = convertReportLines(report, total, page, cancel, progress);
    if (complete) page.writeLine(kHtmlTailLine);
  }
  bool written = page.commit();
  return complete && written;
}

}  // namespace tallyfold
