#include "gui/search_list.h"

#include "app/job.h"
#include "gui/icons.h"

namespace tallyfold::gui {

namespace {

constexpr int kTwipsPerPixel = 15;
constexpr int kLocationRole = Qt::UserRole;

// The row's location travels in the item so a removal never leaves a list
// beside the view to keep in step.
struct StoredLocation {
  ScanLocation location;
};

}  // namespace

}  // namespace tallyfold::gui

Q_DECLARE_METATYPE(tallyfold::gui::StoredLocation)

namespace tallyfold::gui {

namespace {

void showLocation(QTreeWidgetItem* item, const ScanLocation& location) {
  item->setText(0, QString::fromStdString(location.folder));
  item->setText(1, QString::fromStdString(subFolderCellText(location)));
  item->setText(2, QString::fromStdString(location.fileTypes));
  item->setText(3, QString::fromStdString(levelCellText(location)));
  item->setIcon(0, icon(location.scanned ? IconName::Folder : IconName::FolderSkipped));
  item->setData(0, kLocationRole, QVariant::fromValue(StoredLocation{location}));
}

ScanLocation locationOf(const QTreeWidgetItem* item) {
  return item->data(0, kLocationRole).value<StoredLocation>().location;
}

}  // namespace

SearchList::SearchList(QWidget* parent) : QTreeWidget(parent) {
  setObjectName("SearchList");
  setRootIsDecorated(false);
  setUniformRowHeights(true);
  setAllColumnsShowFocus(true);
  setHeaderLabels({"Scan Locations", "Sub Folders", "Filter", "Level"});
  const int widths[] = {3400, 1200, 800, 1000};
  for (int column = 0; column < 4; ++column)
    setColumnWidth(column, widths[column] / kTwipsPerPixel);
}

std::vector<ScanLocation> SearchList::locations() const {
  std::vector<ScanLocation> locations;
  for (int row = 0; row < topLevelItemCount(); ++row)
    locations.push_back(locationOf(topLevelItem(row)));
  return locations;
}

void SearchList::setLocations(const std::vector<ScanLocation>& locations) {
  clear();
  for (const ScanLocation& location : locations) showLocation(new QTreeWidgetItem(this), location);
}

void SearchList::addOrUpdate(const ScanLocation& location) {
  const QString folder = QString::fromStdString(location.folder);
  for (int row = 0; row < topLevelItemCount(); ++row) {
    if (topLevelItem(row)->text(0) == folder) {
      showLocation(topLevelItem(row), location);
      return;
    }
  }
  showLocation(new QTreeWidgetItem(this), location);
}

bool SearchList::removeSelected() {
  QTreeWidgetItem* item = currentItem();
  if (item == nullptr || !item->isSelected()) return false;
  delete item;
  return true;
}

}  // namespace tallyfold::gui
