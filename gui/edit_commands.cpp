#include "gui/edit_commands.h"

#include <QApplication>
#include <QClipboard>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextCursor>

#include "gui/listing_history.h"
#include "gui/listing_pane.h"

namespace tallyfold::gui {

namespace {

void merge(ListingPane* pane, const QTextCharFormat& format) {
  pane->mergeCurrentCharFormat(format);
}

bool isBold(const QTextCharFormat& format) {
  return format.fontWeight() >= QFont::Bold;
}

}  // namespace

void EditCommands::undo() {
  pane_->history().undo();
}

void EditCommands::redo() {
  pane_->history().redo();
}

void EditCommands::copy() {
  QApplication::clipboard()->setText(pane_->selectedPlainText());
}

void EditCommands::cut() {
  copy();
  deleteSelection();
}

void EditCommands::deleteSelection() {
  QTextCursor cursor = pane_->textCursor();
  if (cursor.hasSelection()) cursor.removeSelectedText();
}

void EditCommands::paste() {
  // Plain text only, in the format at the insertion point.
  pane_->insertPlainText(QApplication::clipboard()->text());
}

void EditCommands::selectAll() {
  pane_->selectAll();
}

void EditCommands::setFontName(const QString& name) {
  if (name.trimmed().isEmpty()) return;
  QTextCharFormat format;
  format.setFontFamilies({name});
  merge(pane_, format);
}

void EditCommands::setFontSize(const QString& points) {
  bool number = false;
  double size = points.trimmed().toDouble(&number);
  if (!number || !(size > 0) || size > 1638) return;
  QTextCharFormat format;
  format.setFontPointSize(size);
  merge(pane_, format);
}

void EditCommands::setBold(bool on) {
  QTextCharFormat format;
  format.setFontWeight(on ? QFont::Bold : QFont::Normal);
  merge(pane_, format);
}

void EditCommands::setItalic(bool on) {
  QTextCharFormat format;
  format.setFontItalic(on);
  merge(pane_, format);
}

void EditCommands::setUnderline(bool on) {
  QTextCharFormat format;
  format.setFontUnderline(on);
  merge(pane_, format);
}

void EditCommands::setColour(const QColor& colour) {
  QTextCharFormat format;
  format.setForeground(colour);
  merge(pane_, format);
}

SelectionStyle EditCommands::selectionStyle() const {
  QTextCursor cursor = pane_->textCursor();
  if (!cursor.hasSelection()) {
    QTextCharFormat format = cursor.charFormat();
    return SelectionStyle{isBold(format), format.fontItalic(), format.fontUnderline()};
  }
  // Every run of text in the selection must hold a style; the walk ends as
  // soon as none of the three can hold any more, so selecting a whole large
  // listing stays cheap.
  SelectionStyle style{true, true, true};
  const int start = cursor.selectionStart();
  const int end = cursor.selectionEnd();
  QTextDocument* document = pane_->document();
  for (QTextBlock block = document->findBlock(start); block.isValid() && block.position() < end;
       block = block.next()) {
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      QTextFragment fragment = it.fragment();
      if (fragment.position() + fragment.length() <= start || fragment.position() >= end) continue;
      QTextCharFormat format = fragment.charFormat();
      style.bold = style.bold && isBold(format);
      style.italic = style.italic && format.fontItalic();
      style.underline = style.underline && format.fontUnderline();
      if (!style.bold && !style.italic && !style.underline) return style;
    }
  }
  return style;
}

}  // namespace tallyfold::gui
