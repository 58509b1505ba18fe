#pragma once
// The Find and Replace window (objectName findFrm): finds text in the listing pane from the
// cursor on, replaces one match or all of them. A failed Find Next says so and
// makes the next one start again at the top. Replace All replaces every match
// once, left to right, going on behind each inserted text (so a replacement
// that contains the search text is never searched again), as one undo step,
// and tells how many it replaced. It opens beside the main window, so the
// matches it selects in the pane stay in sight.

#include <QDialog>
#include <QPoint>
#include <QRect>

#include "gui/text_search.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace tallyfold::gui {

class ListingPane;

// Where a window of the given size goes beside owner (both as frames, in
// screen coordinates): right of it, else left of it, else against the side
// of the screen with more room; top aligned with the owner's, all inside
// the screen's available area.
QPoint placeBeside(const QRect& owner, const QSize& size, const QRect& available);

class FindWindow : public QDialog {
  Q_OBJECT

 public:
  FindWindow(ListingPane* pane, QWidget* parent);

  void findNext();
  void replace();
  // The number of matches replaced.
  int replaceAll();
  void cancel();
  // Esc and Cancel: a running Replace All stops, then the window closes.
  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  TextSearch criteria() const;
  // Selects the next match from the cursor (or from the top after a failed
  // search); false when there is none.
  bool search();

  ListingPane* pane_;
  QLineEdit* findWhat_;
  QLineEdit* replaceWith_;
  QCheckBox* caseSensitive_;
  QCheckBox* wholeWord_;
  QPushButton* replace_;
  QPushButton* replaceAll_;
  bool fromTop_ = false;
  bool cancelled_ = false;
};

}  // namespace tallyfold::gui
