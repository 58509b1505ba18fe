#include "report/report.h"

#include "report/detailed_list.h"
#include "report/folder_list.h"
#include "report/tree_view.h"

namespace tallyfold {

ReportCounters WriteReport(const ReportInput& input, ReportSink& sink, CancelFlag& cancel,
                           ScanStatus& status) {
  switch (input.options.kind) {
    case ReportKind::Details:
      return WriteDetailedList(input, sink, cancel, status);
    case ReportKind::Tree:
      return WriteTreeList(input, sink, status);
    case ReportKind::TreeWithSize:
      return WriteTreeSizeList(input, sink, status);
    case ReportKind::FolderList:
      return WriteFolderList(input, sink, status);
  }
  return WriteDetailedList(input, sink, cancel, status);
}

}  // namespace tallyfold
