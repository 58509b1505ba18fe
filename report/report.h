#pragma once
// The four report generators. Each writes the listing as a small RTF document,
// one line per call of the sink, and returns its counters.
//
// The documents stay byte-compatible with the listings users have already
// stored and compare against: the line shapes, the spellings of the status
// texts and the blanks around "\par" are kept on purpose, odd as some look.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/locale_format.h"
#include "report/report_settings.h"
#include "scan/records.h"
#include "scan/run_control.h"
#include "scan/scan_run.h"

namespace tallyfold {

class Collation;
class DetailSource;

// A new job's listing font and sort field.
inline constexpr const char* kDefaultFontName = "courier new";
inline constexpr const char* kDefaultFontSize = "10";
inline constexpr const char* kDefaultSort = "Name";

// Receives the document line by line (the sink adds the CR LF).
class ReportSink {
 public:
  virtual ~ReportSink() = default;
  virtual void writeLine(std::string_view line) = 0;
};

// The four report types; the numbers are the ones job files keep ("Option1").
enum class ReportType { Details = 1, Tree = 2, TreeWithSize = 3, FolderList = 4 };

// The job's part in a report: font, colour, sort choice and the locations
// (whose folder texts decide each folder's depth in the trees).
struct ReportOptions {
  ReportType type = ReportType::Details;
  std::string fontName = kDefaultFontName;
  std::string fontSize = kDefaultFontSize;
  uint32_t colour = 0;  // red in the low byte, then green, then blue
  std::string sort = kDefaultSort;
  bool ascending = true;
  std::vector<std::string> locationFolders;  // every row's folder, in list order
};

struct ReportCounters {
  uint64_t files = 0;
  uint64_t folders = 0;
  double totalSize = 0;
  // Files whose owner or bytes a chosen column needed but could not be read,
  // in row order, each with the system's reason; their columns are empty.
  std::vector<ReadFailure> unreadable;
};

// Everything a generator reads; records are already in whole-list order.
struct ReportInput {
  const RecordStore& store;
  const std::vector<RecordRef>& sortedRecords;
  const ReportSettings& settings;
  const ReportOptions& options;
  const LocaleFormat& locale;
  const Collation& collation;
  // When set, the files' details come from here instead of the files.
  const DetailSource* storedDetails = nullptr;
};

// Runs the generator of options.type. Every generator stops early when the run
// is cancelled and still closes the document; its progress goes to control.
ReportCounters writeReport(const ReportInput& input, ReportSink& sink, RunControl& control);

}  // namespace tallyfold
