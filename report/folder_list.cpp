#include "report/folder_list.h"

#include <string>
#include <string_view>

#include "report/listing_text.h"
#include "report/rtf_frame.h"

namespace tallyfold {

ReportCounters writeFolderList(const ReportInput& input, ReportSink& sink, RunControl& control) {
  ReportCounters counters;
  sink.writeLine(
      buildRtfHeader(input.options.fontName, input.options.fontSize, input.options.colour));
  const std::vector<RecordRef>& records = input.sortedRecords;
  control.startFormatting(FormattingCount::Records, records.size());
  std::string previousFolder;
  for (size_t i = 0; i < records.size(); ++i) {
    if (control.cancelRequested()) break;
    std::string_view folder = folderWithoutSlash(input.store.folderPath(records[i]));
    if (i == 0 || folder != previousFolder) {
      // Each folder line is followed by an empty line in the document.
      sink.writeLine(escapeListingText(folder, input.settings) + "\\par");
      sink.writeLine("");
      previousFolder = folder;
      ++counters.folders;
    }
    control.setFormatted(i + 1);
  }
  if (input.settings.includeFullSum) writeFolderListSummary(sink, counters.folders);
  sink.writeLine(kTreeClosingLine);
  return counters;
}

}  // namespace tallyfold
