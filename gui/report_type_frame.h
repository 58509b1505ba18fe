#pragma once
// The report-type frame: the job's report type (four option buttons) and its
// sort choice (field, ascending or descending). Only the detailed list is
// sorted by the choice, so the other types disable the sort controls.

#include <QGroupBox>

#include "app/job.h"

class QComboBox;
class QRadioButton;

namespace tallyfold::gui {

class ReportTypeFrame : public QGroupBox {
  Q_OBJECT

 public:
  explicit ReportTypeFrame(QWidget* parent);

  ReportType reportType() const;
  void setReportType(ReportType type);
  QString sortField() const;
  void setSortField(const QString& field);
  bool ascending() const;
  void setAscending(bool ascending);

 private:
  QWidget* buildSortFrame();
  void updateSortControls();

  QRadioButton* options_[4] = {};
  QComboBox* sort_ = nullptr;
  QRadioButton* ascending_ = nullptr;
  QRadioButton* descending_ = nullptr;
};

}  // namespace tallyfold::gui
