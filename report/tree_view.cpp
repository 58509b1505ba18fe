#include "report/tree_view.h"

#include <algorithm>

#include "platform/display_width.h"
#include "report/file_details.h"
#include "report/listing_text.h"
#include "report/rtf_frame.h"
#include "scan/path_rules.h"

namespace tallyfold {

namespace {

constexpr size_t kSizeWidth = 12;

struct TreeRun {
  const ReportInput& input;
  ReportSink& sink;
  bool withSize;
  size_t treeWidth;
  size_t cutKeep;
  ReportCounters counters;
};

// Lines wider than the tree width keep column size + 11 cells and end in
// "...", so they end at the tree width (a cell before it when a wide
// character would straddle the cut).
std::string fitToTree(const TreeRun& run, std::string line) {
  if (displayWidth(line) > run.treeWidth) return cutWithEllipsis(line, run.cutKeep);
  return line;
}

std::string lineEnd(const TreeRun& run) {
  return run.withSize ? " \\par " : "\\par ";
}

void writeFolderLine(TreeRun& run, std::string_view folder, int64_t depth, bool first) {
  const ReportSettings& settings = run.input.settings;
  // The connecting line continues the bars of the levels above.
  if (!first) run.sink.writeLine(treeIndent(depth) + "\\par ");
  std::string_view shown = settings.fullPath ? folder : lastPathComponent(folder);
  std::string line = fitToTree(run, treeBranchPrefix(depth) + std::string(shown));
  run.sink.writeLine(escapeListingText(line, settings) + lineEnd(run));
  ++run.counters.folders;
}

// The size column: the size text right-aligned so that it ends at the tree
// width + 12, whatever the length of the line before it.
std::string sizeColumn(const TreeRun& run, std::string_view line, RecordRef record) {
  const ReportInput& input = run.input;
  double bytes = static_cast<double>(input.store.file(record).size);
  std::string size = sizeTextByUnit(bytes, input.settings.showSizeIn, input.locale);
  size_t cells = displayWidth(line);
  size_t fill = cells < run.treeWidth ? run.treeWidth - cells : 0;
  size_t trimmed = displayWidth(trimText(size));
  size_t lead = trimmed < kSizeWidth ? kSizeWidth - trimmed : 0;
  return std::string(lead + fill, ' ') + size;
}

void writeFileLine(TreeRun& run, RecordRef record, const std::string& filePrefix) {
  const ReportInput& input = run.input;
  run.counters.totalSize += static_cast<double>(input.store.file(record).size);
  ++run.counters.files;
  std::string line = fitToTree(run, filePrefix + std::string(input.store.name(record)));
  if (run.withSize) line += sizeColumn(run, line, record);
  run.sink.writeLine(escapeListingText(line, input.settings) + lineEnd(run));
}

ReportCounters writeTree(const ReportInput& input, ReportSink& sink, RunControl& control,
                         bool withSize) {
  size_t columnSize = static_cast<size_t>(input.settings.columnSize());
  TreeRun run{input, sink, withSize, columnSize + 14, columnSize + 11, {}};
  sink.writeLine(
      buildRtfHeader(input.options.fontName, input.options.fontSize, input.options.colour));

  const std::vector<RecordRef>& records = input.sortedRecords;
  control.startFormatting(FormattingCount::Records, records.size());
  std::string previousFolder;
  std::string filePrefix;
  for (size_t i = 0; i < records.size(); ++i) {
    if (control.cancelRequested()) break;
    RecordRef record = records[i];
    std::string_view folder = folderWithoutSlash(input.store.folderPath(record));
    if (i == 0 || folder != previousFolder) {
      int64_t depth = treeDepth(folder, input.options.locationFolders);
      writeFolderLine(run, folder, depth, i == 0);
      previousFolder = folder;
      filePrefix = treeBranchPrefix(depth + 1);
    }
    // A file whose name sorts before its folder's record is still a file
    // line of that folder; the folder record itself never is.
    if (!record.isFolderRecord()) writeFileLine(run, record, filePrefix);
    control.setFormatted(i + 1);
  }

  if (input.settings.includeFullSum) writeTreeSummary(sink, run.counters, input.locale);
  sink.writeLine(kTreeClosingLine);
  return run.counters;
}

}  // namespace

int64_t countPathSeparators(std::string_view text) {
  return std::count(text.begin(), text.end(), '/');
}

std::string treeIndent(int64_t depth) {
  if (depth <= 1) return {};
  return repeatText("|  ", static_cast<size_t>(depth - 1));
}

std::string treeBranchPrefix(int64_t depth) {
  return treeIndent(depth) + "|-- ";
}

int64_t treeDepth(std::string_view folder, const std::vector<std::string>& locationFolders) {
  std::string_view location;
  for (const std::string& row : locationFolders) {
    if (!row.empty() && locationContains(row, folder)) {
      location = row;
      break;
    }
  }
  return folderDepthBelow(location, folder) + 1;
}

ReportCounters writeTreeList(const ReportInput& input, ReportSink& sink, RunControl& control) {
  return writeTree(input, sink, control, false);
}

ReportCounters writeTreeSizeList(const ReportInput& input, ReportSink& sink, RunControl& control) {
  return writeTree(input, sink, control, true);
}

}  // namespace tallyfold
