#include "gui/catalogue_tree_model.h"

#include <QLocale>

#include "gui/catalogue_texts.h"
#include "gui/entry_bytes.h"

namespace tallyfold::gui {

CatalogueTreeModel::CatalogueTreeModel(CatalogueSession& session, QObject* parent)
    : QAbstractItemModel(parent), session_(session), nodes_(1) {}

void CatalogueTreeModel::showScan(int64_t scanId) {
  beginResetModel();
  scanId_ = scanId;
  nodes_.assign(1, Node{});
  if (scanId_ != 0) {
    nodes_[0].fetched = true;
    addNodes(0, session_.folders(scanId_, 0));
  }
  endResetModel();
}

// The caller tells the views.
void CatalogueTreeModel::addNodes(uint32_t node, std::vector<FolderNode>&& rows) {
  nodes_[node].children.reserve(rows.size());
  for (FolderNode& row : rows) {
    const auto index = uint32_t(nodes_.size());
    nodes_[node].children.push_back(index);
    nodes_.push_back(Node{std::move(row), node, int(nodes_[node].children.size() - 1), false, {}});
  }
}

uint32_t CatalogueTreeModel::nodeOf(const QModelIndex& index) const {
  return index.isValid() ? uint32_t(index.internalId()) : 0;
}

const FolderNode& CatalogueTreeModel::folder(const QModelIndex& index) const {
  return nodes_[nodeOf(index)].row;
}

QModelIndex CatalogueTreeModel::index(int row, int column, const QModelIndex& parent) const {
  const Node& node = nodes_[nodeOf(parent)];
  if (row < 0 || size_t(row) >= node.children.size() || column < 0 || column >= ColumnCount)
    return {};
  return createIndex(row, column, quintptr(node.children[size_t(row)]));
}

QModelIndex CatalogueTreeModel::parent(const QModelIndex& child) const {
  const uint32_t node = nodeOf(child);
  if (node == 0) return {};
  const uint32_t up = nodes_[node].parent;
  if (up == 0) return {};
  return createIndex(nodes_[up].rowInParent, 0, quintptr(up));
}

int CatalogueTreeModel::rowCount(const QModelIndex& parent) const {
  if (parent.column() > 0) return 0;
  return int(nodes_[nodeOf(parent)].children.size());
}

int CatalogueTreeModel::columnCount(const QModelIndex&) const {
  return ColumnCount;
}

bool CatalogueTreeModel::hasChildren(const QModelIndex& parent) const {
  if (parent.column() > 0) return false;
  const Node& node = nodes_[nodeOf(parent)];
  if (node.fetched) return !node.children.empty();
  return node.row.hasSubFolders;
}

bool CatalogueTreeModel::canFetchMore(const QModelIndex& parent) const {
  const Node& node = nodes_[nodeOf(parent)];
  return !node.fetched && (nodeOf(parent) == 0 ? scanId_ != 0 : node.row.hasSubFolders);
}

void CatalogueTreeModel::fetchMore(const QModelIndex& parent) {
  const uint32_t node = nodeOf(parent);
  if (nodes_[node].fetched) return;
  const int64_t folderId = node == 0 ? 0 : nodes_[node].row.id;
  std::vector<FolderNode> rows = session_.folders(scanId_, folderId);
  nodes_[node].fetched = true;
  if (rows.empty()) return;
  beginInsertRows(parent, 0, int(rows.size()) - 1);
  addNodes(node, std::move(rows));
  endInsertRows();
}

QVariant CatalogueTreeModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const FolderNode& row = nodes_[nodeOf(index)].row;
  if (role == Qt::TextAlignmentRole && index.column() != NameColumn)
    return int(Qt::AlignRight | Qt::AlignVCenter);
  if (role != Qt::DisplayRole) return {};
  switch (index.column()) {
    case NameColumn:
      return bytesForDisplay(row.name);
    case SizeColumn:
      return catalogueSizeText(row.bytes);
    case FilesColumn:
      return QLocale().toString(qulonglong(row.files));
    default:
      return {};
  }
}

QVariant CatalogueTreeModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal) return {};
  if (role == Qt::TextAlignmentRole && section != NameColumn)
    return int(Qt::AlignRight | Qt::AlignVCenter);
  if (role != Qt::DisplayRole) return {};
  switch (section) {
    case NameColumn:
      return QStringLiteral("Folder");
    case SizeColumn:
      return QStringLiteral("Size");
    case FilesColumn:
      return QStringLiteral("Files");
    default:
      return {};
  }
}

}  // namespace tallyfold::gui
