#pragma once
// The four report generators. Each writes the listing as a small RTF document,
// one line per call of the sink, and returns its counters. The window writes
// to the report file tmpfile.dmp; the command-line program to its own output.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/locale_format.h"
#include "report/report_settings.h"
#include "scan/records.h"
#include "scan/scan_run.h"

namespace tallyfold {

class Collation;

// Receives the document line by line (the sink adds the CR LF).
class ReportSink {
 public:
  virtual ~ReportSink() = default;
  virtual void writeLine(std::string_view line) = 0;
};

enum class ReportKind { Details, Tree, TreeWithSize, FolderList };

// The job's part in a report: font, colour, sort choice and the locations
// (whose folder texts decide each folder's depth in the trees).
struct ReportOptions {
  ReportKind kind = ReportKind::Details;
  std::string fontName = "courier new";
  std::string fontSize = "10";
  uint32_t colour = 0;  // red in the low byte, then green, then blue
  std::string sort = "Name";
  bool ascending = true;
  std::vector<std::string> locationFolders;  // every row's folder, in list order
};

struct ReportCounters {
  uint64_t files = 0;
  uint64_t folders = 0;
  double totalSize = 0;
};

// Everything a generator reads; records are already in whole-list order.
struct ReportInput {
  const RecordStore& store;
  const std::vector<RecordRef>& sortedRecords;
  const ReportSettings& settings;
  const ReportOptions& options;
  const LocaleFormat& locale;
  const Collation& collation;
};

// Runs the generator of options.kind. The detailed list stops early when cancel
// is set (and still closes the document); status texts go to status.
ReportCounters writeReport(const ReportInput& input, ReportSink& sink, CancelFlag& cancel,
                           ScanStatus& status);

}  // namespace tallyfold
