#pragma once
// SearchList: the job's scan locations, one row each, with the columns "Scan
// Locations", "Sub Folders", "Filter" and "Level". Each row keeps its typed
// location; the cells show the texts the job file keeps.

#include <QTreeWidget>
#include <vector>

#include "scan/scan_location.h"

namespace tallyfold::gui {

class SearchList : public QTreeWidget {
  Q_OBJECT

 public:
  explicit SearchList(QWidget* parent);

  std::vector<ScanLocation> locations() const;
  void setLocations(const std::vector<ScanLocation>& locations);
  // Updates the row whose folder text is equal (case kept) or appends a row.
  void addOrUpdate(const ScanLocation& location);
  // Removes the selected row; false when none is selected.
  bool removeSelected();
};

}  // namespace tallyfold::gui
