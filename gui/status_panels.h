#pragma once
// The status bar and its five panels: the message, three summary texts (the
// scan's file and folder counts in panels 3 and 4) and the elapsed time.

#include <QStatusBar>

class QLabel;

namespace tallyfold::gui {

class StatusPanels : public QStatusBar {
  Q_OBJECT

 public:
  explicit StatusPanels(QWidget* parent);

  // Panels are numbered from 1.
  QLabel* panel(int number) const;
  void setPanelText(int number, const QString& text);
  // Panels 2 to 4, emptied and hidden: the state before a scan reports.
  void hideCounts();
  void showCounts(uint64_t files, uint64_t folders);

 signals:
  // A panel was given a text other than the one it showed.
  void panelTextChanged(int number, const QString& text);

 private:
  QLabel* panels_[5] = {};
};

}  // namespace tallyfold::gui
