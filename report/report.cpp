#include "report/report.h"

#include "report/detailed_list.h"
#include "report/folder_list.h"
#include "report/tree_view.h"

namespace tallyfold {

ReportCounters writeReport(const ReportInput& input, ReportSink& sink, RunControl& control) {
  switch (input.options.type) {
    case ReportType::Details:
      return writeDetailedList(input, sink, control);
    case ReportType::Tree:
      return writeTreeList(input, sink, control);
    case ReportType::TreeWithSize:
      return writeTreeSizeList(input, sink, control);
    case ReportType::FolderList:
      return writeFolderList(input, sink, control);
  }
  return writeDetailedList(input, sink, control);
}

}  // namespace tallyfold
