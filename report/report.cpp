#include "report/report.h"

#include "report/detailed_list.h"
#include "report/folder_list.h"
#include "report/tree_view.h"

namespace tallyfold {

ReportCounters writeReport(const ReportInput& input, ReportSink& sink, CancelFlag& cancel,
                           ScanStatus& status) {
  switch (input.options.kind) {
    case ReportKind::Details:
      return writeDetailedList(input, sink, cancel, status);
    case ReportKind::Tree:
      return writeTreeList(input, sink, status);
    case ReportKind::TreeWithSize:
      return writeTreeSizeList(input, sink, status);
    case ReportKind::FolderList:
      return writeFolderList(input, sink, status);
  }
  return writeDetailedList(input, sink, cancel, status);
}

}  // namespace tallyfold
