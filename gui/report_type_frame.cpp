#include "gui/report_type_frame.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tallyfold::gui {

namespace {

constexpr const char* kOptionNames[] = {"Opt1", "Opt2", "Opt3", "Opt4"};
constexpr const char* kOptionCaptions[] = {"List In Details", "Tree view",
                                           "Tree view with file size", "Folder list"};

}  // namespace

ReportTypeFrame::ReportTypeFrame(QWidget* parent) : QGroupBox("Report type", parent) {
  setObjectName("FrameRepType");
  auto* layout = new QGridLayout(this);
  for (int i = 0; i < 4; ++i) {
    options_[i] = new QRadioButton(kOptionCaptions[i], this);
    options_[i]->setObjectName(kOptionNames[i]);
    connect(options_[i], &QRadioButton::toggled, this, &ReportTypeFrame::updateSortControls);
    layout->addWidget(options_[i], i % 2, i / 2);
  }
  layout->addWidget(buildSortFrame(), 2, 0, 1, 2);
  options_[0]->setChecked(true);
}

QWidget* ReportTypeFrame::buildSortFrame() {
  auto* frame = new QWidget(this);
  frame->setObjectName("Frame1");
  auto* label = new QLabel("Sort by ", frame);
  label->setObjectName("Label1");
  sort_ = new QComboBox(frame);
  sort_->setObjectName("cmbSort");
  sort_->setEditable(true);
  sort_->addItems({"Name", "Size", "Date"});
  ascending_ = new QRadioButton("Ascending", frame);
  ascending_->setObjectName("optAsc");
  ascending_->setChecked(true);
  descending_ = new QRadioButton("Descending", frame);
  descending_->setObjectName("optDesc");
  auto* layout = new QHBoxLayout(frame);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(label);
  layout->addWidget(sort_);
  layout->addWidget(ascending_);
  layout->addWidget(descending_);
  layout->addStretch();
  return frame;
}

void ReportTypeFrame::updateSortControls() {
  bool details = options_[0]->isChecked();
  sort_->setEnabled(details);
  ascending_->setEnabled(details);
  descending_->setEnabled(details);
}

ReportType ReportTypeFrame::reportType() const {
  for (int i = 0; i < 4; ++i)
    if (options_[i]->isChecked()) return static_cast<ReportType>(i + 1);
  return ReportType::Details;
}

void ReportTypeFrame::setReportType(ReportType type) {
  options_[static_cast<int>(type) - 1]->setChecked(true);
}

QString ReportTypeFrame::sortField() const {
  return sort_->currentText();
}

void ReportTypeFrame::setSortField(const QString& field) {
  sort_->setCurrentText(field);
}

bool ReportTypeFrame::ascending() const {
  return ascending_->isChecked();
}

void ReportTypeFrame::setAscending(bool ascending) {
  (ascending ? ascending_ : descending_)->setChecked(true);
}

}  // namespace tallyfold::gui
