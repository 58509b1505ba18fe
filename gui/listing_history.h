#pragma once
// The listing pane's undo history: linear undo and redo across the edits of a
// listing and the loading of new ones. Edits are the document's own
// incremental history (a typed character costs a few bytes, never a copy of
// the listing). A load is one step of its own: the new listing goes into a
// fresh document and the previous document is kept whole behind it, so Undo
// brings it back as it was, with its own edits still undoable.

#include <QObject>
#include <vector>

class QPlainTextEdit;
class QTextDocument;

namespace tallyfold::gui {

class ListingHistory : public QObject {
  Q_OBJECT

 public:
  explicit ListingHistory(QPlainTextEdit* pane);
  ~ListingHistory() override;

  // Shows a fresh, empty document in the pane, the current one becoming the
  // step before it. Redo steps are dropped, as by any new change.
  void startDocument();
  void undo();
  void redo();
  bool canUndo() const;
  bool canRedo() const;
  // Documents kept besides the one shown (earlier and later ones).
  int keptDocuments() const { return int(earlier_.size() + later_.size()); }

 private:
  QTextDocument* newDocument();
  void show(QTextDocument* document);
  void dropLater();
  void trimEarlier();

  QPlainTextEdit* pane_;
  std::vector<QTextDocument*> earlier_;  // oldest first
  std::vector<QTextDocument*> later_;    // farthest first, so back() is the next redo
};

}  // namespace tallyfold::gui
