#include "gui/listing_pane.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QResizeEvent>

#include "gui/listing_font.h"
#include "gui/listing_history.h"
#include "gui/listing_loader.h"

namespace tallyfold::gui {

namespace {

// Past this many lines a new width is not passed on to the layout (see
// resizeEvent); below it the editor's own handling costs a few milliseconds.
constexpr int kLinesRelaidOnResize = 50'000;

}  // namespace

ListingPane::ListingPane(QWidget* parent) : QPlainTextEdit(parent) {
  setObjectName("rTxt");
  setLineWrapMode(QPlainTextEdit::NoWrap);
  setListingFont("Courier New", "9.75");
  history_ = new ListingHistory(this);
  loader_ = new ListingLoader(this);
  connect(loader_, &ListingLoader::finished, this, &ListingPane::loadFinished);
}

void ListingPane::setListingFont(const QString& name, const QString& size) {
  setFont(listingFont(name, size));
}

void ListingPane::loadReport(const std::string& path) {
  loader_->stop();
  // The new listing streams into a fresh document, its undo off while it
  // fills; the one it replaces stays whole as the step before it.
  history_->startDocument();
  loader_->start(path);
}

void ListingPane::stopLoading() {
  loader_->stop();
}

bool ListingPane::loading() const {
  return loader_->running();
}

void ListingPane::clearListing() {
  loader_->stop();
  history_->startDocument();
}

QString ListingPane::selectedPlainText() const {
  QString text = textCursor().selectedText();
  text.replace(QChar::ParagraphSeparator, QChar('\n'));
  text.replace(QChar::LineSeparator, QChar('\n'));
  return text;
}

void ListingPane::keyPressEvent(QKeyEvent* event) {
  // The editor's own keys would undo only within the current listing.
  if (event->matches(QKeySequence::Undo)) {
    history_->undo();
  } else if (event->matches(QKeySequence::Redo)) {
    history_->redo();
  } else {
    QPlainTextEdit::keyPressEvent(event);
    return;
  }
  event->accept();
}

// The editor lays out every line again when the width changes, and gives each
// line a layout object while doing so: with a million lines, widening the
// window stalls it for seconds and costs hundreds of megabytes. Unwrapped lines
// do not depend on the width, so a long listing keeps its layout and only the
// scroll bars follow the new size.
void ListingPane::resizeEvent(QResizeEvent* event) {
  if (lineWrapMode() == NoWrap && document()->blockCount() > kLinesRelaidOnResize &&
      event->oldSize().width() >= 0) {
    QResizeEvent heightOnly(event->size(), QSize(event->size().width(), event->oldSize().height()));
    QPlainTextEdit::resizeEvent(&heightOnly);
    return;
  }
  QPlainTextEdit::resizeEvent(event);
}

void ListingPane::contextMenuEvent(QContextMenuEvent* event) {
  if (contextMenu_ == nullptr) {
    QPlainTextEdit::contextMenuEvent(event);
    return;
  }
  contextMenu_->exec(event->globalPos());
}

QMimeData* ListingPane::createMimeDataFromSelection() const {
  auto* data = new QMimeData;
  data->setText(selectedPlainText());
  return data;
}

void ListingPane::insertFromMimeData(const QMimeData* source) {
  if (source->hasText()) insertPlainText(source->text());
}

}  // namespace tallyfold::gui
