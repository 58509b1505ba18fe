#pragma once
// The Edit menu's commands and the formatting bar's actions on the listing
// pane: undo and redo through the pane's history, the clipboard in plain text
// only, select all, and the font, size, bold, italic, underline and colour of
// the selection (or of the insertion point when nothing is selected).

#include <QColor>
#include <QString>

namespace tallyfold::gui {

class ListingPane;

// Styles that hold for the whole selection; a mixed one counts as not held.
struct SelectionStyle {
  bool bold = false;
  bool italic = false;
  bool underline = false;
};

class EditCommands {
 public:
  explicit EditCommands(ListingPane* pane) : pane_(pane) {}

  void undo();
  void redo();
  void cut();
  void copy();
  void paste();
  void deleteSelection();
  void selectAll();

  void setFontName(const QString& name);
  // A text that is no positive number (while it is being typed) changes nothing.
  void setFontSize(const QString& points);
  void setBold(bool on);
  void setItalic(bool on);
  void setUnderline(bool on);
  void setColour(const QColor& colour);

  SelectionStyle selectionStyle() const;

 private:
  ListingPane* pane_;
};

}  // namespace tallyfold::gui
