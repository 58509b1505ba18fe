#include "gui/catalogue_search_model.h"

#include "gui/catalogue_texts.h"
#include "gui/entry_bytes.h"

namespace tallyfold::gui {

void CatalogueSearchModel::clear() {
  if (hits_.empty()) return;
  beginResetModel();
  hits_.clear();
  hits_.shrink_to_fit();
  endResetModel();
}

void CatalogueSearchModel::append(const std::vector<CatalogueHit>& batch) {
  const size_t room = kMostShown - std::min(kMostShown, hits_.size());
  const size_t taken = std::min(room, batch.size());
  if (taken == 0) return;
  const int first = int(hits_.size());
  beginInsertRows({}, first, first + int(taken) - 1);
  hits_.insert(hits_.end(), batch.begin(), batch.begin() + std::ptrdiff_t(taken));
  endInsertRows();
}

int CatalogueSearchModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : int(hits_.size());
}

int CatalogueSearchModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : ColumnCount;
}

QVariant CatalogueSearchModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || size_t(index.row()) >= hits_.size()) return {};
  const CatalogueHit& found = hits_[size_t(index.row())];
  if (role == Qt::TextAlignmentRole && index.column() == SizeColumn)
    return int(Qt::AlignRight | Qt::AlignVCenter);
  if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
  switch (index.column()) {
    case PathColumn:
      return bytesForDisplay(found.path);
    case SizeColumn:
      return catalogueSizeText(found.size);
    case DateColumn:
      return catalogueTimeText(found.mtime);
    case ScanColumn:
      return bytesForDisplay(found.scanLabel);
    default:
      return {};
  }
}

QVariant CatalogueSearchModel::headerData(int section, Qt::Orientation orientation,
                                          int role) const {
  if (orientation != Qt::Horizontal) return {};
  if (role == Qt::TextAlignmentRole && section == SizeColumn)
    return int(Qt::AlignRight | Qt::AlignVCenter);
  if (role != Qt::DisplayRole) return {};
  switch (section) {
    case PathColumn:
      return QStringLiteral("Path");
    case SizeColumn:
      return QStringLiteral("Size");
    case DateColumn:
      return QStringLiteral("Date");
    case ScanColumn:
      return QStringLiteral("Scan");
    default:
      return {};
  }
}

}  // namespace tallyfold::gui
