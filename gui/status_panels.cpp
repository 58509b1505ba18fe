#include "gui/status_panels.h"

#include <QLabel>

namespace tallyfold::gui {

StatusPanels::StatusPanels(QWidget* parent) : QStatusBar(parent) {
  setObjectName("StatusBar1");
  for (int i = 0; i < 5; ++i) {
    panels_[i] = new QLabel(this);
    panels_[i]->setObjectName(QString("Panel%1").arg(i + 1));
    panels_[i]->setContentsMargins(4, 0, 4, 0);
    // The message takes the spare width; the others are as wide as their text.
    if (i == 0)
      addWidget(panels_[i], 1);
    else
      addPermanentWidget(panels_[i]);
  }
  panels_[0]->setMinimumWidth(10);
  hideCounts();
  setPanelText(5, "00:00:00");
}

QLabel* StatusPanels::panel(int number) const {
  return panels_[number - 1];
}

void StatusPanels::setPanelText(int number, const QString& text) {
  if (panel(number)->text() == text) return;
  panel(number)->setText(text);
  emit panelTextChanged(number, text);
}

void StatusPanels::hideCounts() {
  for (int number = 2; number <= 4; ++number) {
    setPanelText(number, QString());
    panel(number)->hide();
  }
}

void StatusPanels::showCounts(uint64_t files, uint64_t folders) {
  setPanelText(3, QString("Files : %1").arg(files));
  setPanelText(4, QString("Folders : %1").arg(folders));
  panel(3)->show();
  panel(4)->show();
}

}  // namespace tallyfold::gui
