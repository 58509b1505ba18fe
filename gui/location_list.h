#pragma once
// The location list: the job's scan locations, one row each, with the columns
// "Scan Locations", "Sub Folders", "Filter" and "Level". Each row keeps its
// location as the job has it (folder bytes included, shown escaped when they
// are no UTF-8); its check box says whether the scan takes it. Double-click or
// Enter asks for the row to be edited; folders dropped from a file manager
// are offered as new locations.

#include <QTreeWidget>
#include <string>
#include <vector>

#include "scan/scan_location.h"

namespace tallyfold::gui {

class LocationList : public QTreeWidget {
  Q_OBJECT

 public:
  explicit LocationList(QWidget* parent);

  std::vector<ScanLocation> locations() const;
  void setLocations(const std::vector<ScanLocation>& locations);
  ScanLocation locationAt(int row) const;
  // Updates the row whose folder is the same bytes or appends a row.
  void addOrUpdate(const ScanLocation& location);
  // Puts an edited location in the place of its row; when another row names
  // the same folder, that row takes it and the edited one goes.
  void replaceAt(int row, const ScanLocation& location);
  // Removes the selected row; false when none is selected.
  bool removeSelected();

  // The folder as the list shows it.
  static QString displayedFolder(const std::string& folder);
  // The local folders named by a text/uri-list, as bytes (percent escapes
  // decoded, so a name that is no UTF-8 keeps its bytes).
  static std::vector<std::string> foldersOfUriList(const QByteArray& uriList);

 signals:
  void editRequested(int row);
  void foldersDropped(const std::vector<std::string>& folders);

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void showTickChange(QTreeWidgetItem* item, int column);
};

}  // namespace tallyfold::gui
