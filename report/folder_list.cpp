#include "report/folder_list.h"

#include <string>
#include <string_view>

#include "report/listing_text.h"
#include "report/rtf_frame.h"

namespace tallyfold {

namespace {

constexpr uint64_t kStatusEveryRecords = 50;

}  // namespace

ReportCounters writeFolderList(const ReportInput& input, ReportSink& sink, ScanStatus& status) {
  ReportCounters counters;
  sink.writeLine(
      buildRtfHeader(input.options.fontName, input.options.fontSize, input.options.colour));
  const std::vector<RecordRef>& records = input.sortedRecords;
  std::string previousFolder;
  for (size_t i = 0; i < records.size(); ++i) {
    std::string_view folder = folderWithoutSlash(input.store.folderPath(records[i]));
    if (i == 0 || folder != previousFolder) {
      // Each folder line is followed by an empty line in the document.
      sink.writeLine(escapeListingText(folder, input.settings) + "\\par");
      sink.writeLine("");
      previousFolder = folder;
      ++counters.folders;
    }
    uint64_t done = i + 1;
    if (done % kStatusEveryRecords == 0) {
      status.showStatus("Formating list. please wait... " + std::to_string(done) + " / " +
                        std::to_string(records.size()));
    }
  }
  if (input.settings.includeFullSum) writeFolderListSummary(sink, counters.folders);
  sink.writeLine(kTreeClosingLine);
  return counters;
}

}  // namespace tallyfold
