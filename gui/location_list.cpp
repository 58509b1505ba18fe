#include "gui/location_list.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QMimeData>

#include "app/job.h"
#include "gui/icons.h"
#include "platform/file_facts.h"
#include "platform/printable_text.h"

namespace tallyfold::gui {

namespace {

constexpr int kLocationRole = Qt::UserRole;
constexpr char kUriListType[] = "text/uri-list";

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

void showScanned(QTreeWidgetItem* item, bool scanned) {
  item->setCheckState(0, scanned ? Qt::Checked : Qt::Unchecked);
  item->setIcon(0, icon(scanned ? IconName::Folder : IconName::FolderSkipped));
}

void showLocation(QTreeWidgetItem* item, const ScanLocation& location) {
  item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
  item->setText(0, LocationList::displayedFolder(location.folder));
  item->setText(1, QString::fromStdString(subFolderCellText(location)));
  item->setText(2, QString::fromStdString(location.fileTypes));
  item->setText(3, QString::fromStdString(levelCellText(location)));
  item->setData(0, kLocationRole, QVariant::fromValue(StoredLocation{location}));
  showScanned(item, location.scanned);
}

ScanLocation locationOf(const QTreeWidgetItem* item) {
  ScanLocation location = item->data(0, kLocationRole).value<StoredLocation>().location;
  location.scanned = item->checkState(0) == Qt::Checked;
  return location;
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string percentDecoded(std::string_view text) {
  std::string bytes;
  bytes.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 &&
        hexValue(text[i + 2]) >= 0) {
      bytes += char(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
      i += 2;
    } else {
      bytes += text[i];
    }
  }
  return bytes;
}

// The path of a file: URL on this machine ("file:///x" or
// "file://localhost/x"); empty for anything else.
std::string localPathOf(std::string_view uri) {
  constexpr std::string_view scheme = "file://";
  if (uri.substr(0, scheme.size()) != scheme) return {};
  uri.remove_prefix(scheme.size());
  if (uri.substr(0, 9) == "localhost") uri.remove_prefix(9);
  if (uri.empty() || uri.front() != '/') return {};
  return percentDecoded(uri);
}

bool hasUriList(const QMimeData* data) {
  return data != nullptr && data->hasFormat(kUriListType);
}

}  // namespace

LocationList::LocationList(QWidget* parent) : QTreeWidget(parent) {
  setObjectName("SearchList");
  setRootIsDecorated(false);
  setUniformRowHeights(true);
  setAllColumnsShowFocus(true);
  setHeaderLabels({"Scan Locations", "Sub Folders", "Filter", "Level"});
  // The folder takes the room the short cells leave.
  header()->setStretchLastSection(false);
  header()->setSectionResizeMode(0, QHeaderView::Stretch);
  for (int column = 1; column < 4; ++column)
    header()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
  setAcceptDrops(true);
  setDropIndicatorShown(false);
  connect(this, &QTreeWidget::itemActivated, this,
          [this](QTreeWidgetItem* item) { emit editRequested(indexOfTopLevelItem(item)); });
  connect(this, &QTreeWidget::itemChanged, this, &LocationList::showTickChange);
}

void LocationList::showTickChange(QTreeWidgetItem* item, int column) {
  if (column != 0) return;
  const bool scanned = item->checkState(0) == Qt::Checked;
  const QIcon wanted = icon(scanned ? IconName::Folder : IconName::FolderSkipped);
  if (item->icon(0).cacheKey() == wanted.cacheKey()) return;
  QSignalBlocker quiet(this);
  item->setIcon(0, wanted);
}

QString LocationList::displayedFolder(const std::string& folder) {
  return QString::fromStdString(printableText(folder));
}

std::vector<ScanLocation> LocationList::locations() const {
  std::vector<ScanLocation> locations;
  locations.reserve(size_t(topLevelItemCount()));
  for (int row = 0; row < topLevelItemCount(); ++row)
    locations.push_back(locationOf(topLevelItem(row)));
  return locations;
}

ScanLocation LocationList::locationAt(int row) const {
  return locationOf(topLevelItem(row));
}

void LocationList::setLocations(const std::vector<ScanLocation>& locations) {
  clear();
  for (const ScanLocation& location : locations) showLocation(new QTreeWidgetItem(this), location);
}

void LocationList::addOrUpdate(const ScanLocation& location) {
  for (int row = 0; row < topLevelItemCount(); ++row) {
    if (locationOf(topLevelItem(row)).folder == location.folder) {
      showLocation(topLevelItem(row), location);
      return;
    }
  }
  showLocation(new QTreeWidgetItem(this), location);
}

void LocationList::replaceAt(int row, const ScanLocation& location) {
  for (int other = 0; other < topLevelItemCount(); ++other) {
    if (other != row && locationOf(topLevelItem(other)).folder == location.folder) {
      showLocation(topLevelItem(other), location);
      delete takeTopLevelItem(row);
      return;
    }
  }
  showLocation(topLevelItem(row), location);
}

bool LocationList::removeSelected() {
  QTreeWidgetItem* item = currentItem();
  if (item == nullptr || !item->isSelected()) return false;
  delete item;
  return true;
}

std::vector<std::string> LocationList::foldersOfUriList(const QByteArray& uriList) {
  std::vector<std::string> folders;
  for (const QByteArray& line : uriList.split('\n')) {
    const std::string uri = line.trimmed().toStdString();
    if (uri.empty() || uri.front() == '#') continue;
    std::string path = localPathOf(uri);
    if (path.empty()) continue;
    std::optional<FileFacts> facts = statPath(path);
    if (facts && facts->isDirectory) folders.push_back(std::move(path));
  }
  return folders;
}

void LocationList::dragEnterEvent(QDragEnterEvent* event) {
  if (hasUriList(event->mimeData()))
    event->acceptProposedAction();
  else
    QTreeWidget::dragEnterEvent(event);
}

void LocationList::dragMoveEvent(QDragMoveEvent* event) {
  if (hasUriList(event->mimeData()))
    event->acceptProposedAction();
  else
    QTreeWidget::dragMoveEvent(event);
}

void LocationList::dropEvent(QDropEvent* event) {
  if (!hasUriList(event->mimeData())) {
    QTreeWidget::dropEvent(event);
    return;
  }
  std::vector<std::string> folders = foldersOfUriList(event->mimeData()->data(kUriListType));
  event->acceptProposedAction();
  if (!folders.empty()) emit foldersDropped(folders);
}

}  // namespace tallyfold::gui
