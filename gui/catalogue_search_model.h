#pragma once
// The matches of a catalogue search as the results list shows them: path,
// size, date and scan. Batches are appended as they arrive; the texts are
// made only for the rows in sight, so a hundred thousand matches cost their
// paths and a few numbers each. Past kMostShown matches the list stops
// growing and says how many it holds.

#include <QAbstractTableModel>
#include <vector>

#include "gui/catalogue_session.h"

namespace tallyfold::gui {

class CatalogueSearchModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  static constexpr size_t kMostShown = 100000;
  enum Column { PathColumn, SizeColumn, DateColumn, ScanColumn, ColumnCount };

  using QAbstractTableModel::QAbstractTableModel;

  void clear();
  void append(const std::vector<CatalogueHit>& batch);
  bool full() const { return hits_.size() >= kMostShown; }
  const CatalogueHit& hit(int row) const { return hits_[size_t(row)]; }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  std::vector<CatalogueHit> hits_;
};

}  // namespace tallyfold::gui
