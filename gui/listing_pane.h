#pragma once
// The listing pane: the listing, editable, word wrap off. A report is
// streamed into it; its text is saved as rich text or plain text. Undo and
// redo go through the pane's history, so loading a listing is one step; the
// clipboard carries plain text only.

#include <QPlainTextEdit>
#include <string>

namespace tallyfold::gui {

class ListingHistory;
class ListingLoader;

class ListingPane : public QPlainTextEdit {
  Q_OBJECT

 public:
  explicit ListingPane(QWidget* parent);

  void setListingFont(const QString& name, const QString& size);
  // Replaces the text by the report document in the file, streamed.
  void loadReport(const std::string& path);
  void stopLoading();
  bool loading() const;
  // Empties the pane as one undoable step.
  void clearListing();
  ListingHistory& history() { return *history_; }
  // The selection with its line ends as "\n".
  QString selectedPlainText() const;
  // The menu shown on a right click (the window's Edit menu).
  void setContextMenu(QMenu* menu) { contextMenu_ = menu; }

 signals:
  void loadFinished();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  QMimeData* createMimeDataFromSelection() const override;
  void insertFromMimeData(const QMimeData* source) override;

 private:
  ListingHistory* history_;
  ListingLoader* loader_;
  QMenu* contextMenu_ = nullptr;
};

}  // namespace tallyfold::gui
