#pragma once
// A stored scan as a folder tree: its locations at the top, each folder's
// sub-folders read from the catalogue only when the folder is first opened,
// so a scan of a million folders opens as fast as one of ten. Each folder
// shows the size and the number of files of everything below it.

#include <QAbstractItemModel>
#include <cstdint>
#include <vector>

#include "gui/catalogue_session.h"

namespace tallyfold::gui {

class CatalogueTreeModel : public QAbstractItemModel {
  Q_OBJECT

 public:
  enum Column { NameColumn, SizeColumn, FilesColumn, ColumnCount };

  CatalogueTreeModel(CatalogueSession& session, QObject* parent = nullptr);

  // Shows the scan's locations (0: nothing).
  void showScan(int64_t scanId);
  int64_t scanId() const { return scanId_; }
  // The folder a row stands for.
  const FolderNode& folder(const QModelIndex& index) const;

  QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  bool hasChildren(const QModelIndex& parent = {}) const override;
  bool canFetchMore(const QModelIndex& parent) const override;
  void fetchMore(const QModelIndex& parent) override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  // Node 0 is the invisible root; a node's children are indexes into nodes_.
  struct Node {
    FolderNode row;
    uint32_t parent = 0;
    int rowInParent = 0;
    bool fetched = false;
    std::vector<uint32_t> children;
  };
  uint32_t nodeOf(const QModelIndex& index) const;
  void addNodes(uint32_t node, std::vector<FolderNode>&& rows);

  CatalogueSession& session_;
  int64_t scanId_ = 0;
  std::vector<Node> nodes_;
};

}  // namespace tallyfold::gui
