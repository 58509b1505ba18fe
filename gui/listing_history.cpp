#include "gui/listing_history.h"

#include <QPlainTextDocumentLayout>
#include <QPlainTextEdit>
#include <QTextDocument>

namespace tallyfold::gui {

namespace {

// Earlier listings are kept whole, so how many depends on their size: up to
// ten small ones, but only one once they pass this many characters together
// (a million-line listing holds about a hundred million).
constexpr qsizetype kEarlierCharacterBudget = 16'000'000;
constexpr size_t kEarlierDocuments = 10;

}  // namespace

ListingHistory::ListingHistory(QPlainTextEdit* pane) : QObject(pane), pane_(pane) {
  // The pane's first document is ours too, so swapping it out never lets the
  // editor delete it.
  show(newDocument());
}

ListingHistory::~ListingHistory() = default;

QTextDocument* ListingHistory::newDocument() {
  auto* document = new QTextDocument(this);
  document->setDocumentLayout(new QPlainTextDocumentLayout(document));
  document->setDefaultFont(pane_->font());
  // Any edit of the shown document is a new change, after which the listings
  // that Undo stepped back from no longer follow.
  connect(document, &QTextDocument::undoCommandAdded, this, [this, document] {
    if (document == pane_->document()) dropLater();
  });
  return document;
}

void ListingHistory::show(QTextDocument* document) {
  pane_->setDocument(document);
  pane_->moveCursor(QTextCursor::Start);
}

void ListingHistory::startDocument() {
  dropLater();
  QTextDocument* current = pane_->document();
  current->clearUndoRedoStacks(QTextDocument::RedoStack);
  // An untouched empty document is no step worth keeping.
  if (current->isEmpty() && !current->isUndoAvailable()) return;
  earlier_.push_back(current);
  trimEarlier();
  show(newDocument());
}

bool ListingHistory::canUndo() const {
  return pane_->document()->isUndoAvailable() || !earlier_.empty();
}

bool ListingHistory::canRedo() const {
  return pane_->document()->isRedoAvailable() || !later_.empty();
}

void ListingHistory::undo() {
  QTextDocument* current = pane_->document();
  if (current->isUndoAvailable()) {
    pane_->undo();
  } else if (!earlier_.empty()) {
    later_.push_back(current);
    QTextDocument* previous = earlier_.back();
    earlier_.pop_back();
    show(previous);
  }
}

void ListingHistory::redo() {
  QTextDocument* current = pane_->document();
  if (current->isRedoAvailable()) {
    pane_->redo();
  } else if (!later_.empty()) {
    earlier_.push_back(current);
    QTextDocument* next = later_.back();
    later_.pop_back();
    show(next);
  }
}

void ListingHistory::dropLater() {
  for (QTextDocument* document : later_) delete document;
  later_.clear();
}

void ListingHistory::trimEarlier() {
  qsizetype characters = 0;
  for (QTextDocument* document : earlier_) characters += document->characterCount();
  while (earlier_.size() > 1 &&
         (earlier_.size() > kEarlierDocuments || characters > kEarlierCharacterBudget)) {
    characters -= earlier_.front()->characterCount();
    delete earlier_.front();
    earlier_.erase(earlier_.begin());
  }
}

}  // namespace tallyfold::gui
