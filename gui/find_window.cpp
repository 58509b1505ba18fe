#include "gui/find_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTextCursor>
#include <QVBoxLayout>
#include <algorithm>

#include "gui/dialogs.h"
#include "gui/listing_pane.h"

namespace tallyfold::gui {

namespace {

// How long Replace All works between two looks at the Cancel button.
constexpr int kYieldEveryMs = 100;

QPushButton* button(QWidget* parent, const char* name, const QString& caption) {
  auto* made = new QPushButton(caption, parent);
  made->setObjectName(name);
  made->setAutoDefault(false);
  return made;
}

}  // namespace

QPoint placeBeside(const QRect& owner, const QSize& size, const QRect& available) {
  const int roomRight = available.right() - owner.right();
  const int roomLeft = owner.left() - available.left();
  int x = 0;
  if (roomRight >= size.width())
    x = owner.right() + 1;
  else if (roomLeft >= size.width())
    x = owner.left() - size.width();
  else
    x = roomRight >= roomLeft ? available.right() + 1 - size.width() : available.left();
  const int lowest = available.bottom() + 1 - size.height();
  const int y = std::max(available.top(), std::min(owner.top(), lowest));
  return {std::max(available.left(), x), y};
}

FindWindow::FindWindow(ListingPane* pane, QWidget* parent) : QDialog(parent), pane_(pane) {
  setObjectName("findFrm");
  setWindowTitle("Find and Replace");
  auto* findLabel = new QLabel("Find what", this);
  findLabel->setObjectName("Label1");
  findWhat_ = new QLineEdit(this);
  findWhat_->setObjectName("Text1");
  findLabel->setBuddy(findWhat_);
  auto* replaceLabel = new QLabel("Replace with", this);
  replaceLabel->setObjectName("Label2");
  replaceWith_ = new QLineEdit(this);
  replaceWith_->setObjectName("Text2");
  replaceLabel->setBuddy(replaceWith_);
  caseSensitive_ = new QCheckBox("Case sensitive", this);
  caseSensitive_->setObjectName("Check1");
  wholeWord_ = new QCheckBox("Whole word only", this);
  wholeWord_->setObjectName("Check2");

  QPushButton* findNext = button(this, "FindButton", "Find Next");
  findNext->setDefault(true);
  replace_ = button(this, "ReplaceButton", "Replace");
  replaceAll_ = button(this, "ReplaceAllButton", "Replace All");
  QPushButton* cancelButton = button(this, "Command5", "Cancel");
  connect(findNext, &QPushButton::clicked, this, &FindWindow::findNext);
  connect(replace_, &QPushButton::clicked, this, &FindWindow::replace);
  connect(replaceAll_, &QPushButton::clicked, this, [this] { replaceAll(); });
  connect(cancelButton, &QPushButton::clicked, this, &FindWindow::cancel);

  auto* fields = new QGridLayout;
  fields->addWidget(findLabel, 0, 0);
  fields->addWidget(findWhat_, 0, 1);
  fields->addWidget(replaceLabel, 1, 0);
  fields->addWidget(replaceWith_, 1, 1);
  fields->addWidget(caseSensitive_, 2, 1);
  fields->addWidget(wholeWord_, 3, 1);
  auto* buttons = new QVBoxLayout;
  for (QPushButton* each : {findNext, replace_, replaceAll_, cancelButton})
    buttons->addWidget(each);
  buttons->addStretch();
  auto* layout = new QHBoxLayout(this);
  layout->addLayout(fields, 1);
  layout->addLayout(buttons);
  findWhat_->setMinimumWidth(240);
  findWhat_->setFocus();
}

void FindWindow::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  findWhat_->setFocus();
  QScreen* shown = screen();
  if (shown == nullptr) return;
  const QRect available = shown->availableGeometry();
  QWidget* owner = parentWidget() != nullptr ? parentWidget()->window() : nullptr;
  if (owner != nullptr && owner->isVisible())
    move(placeBeside(owner->frameGeometry(), frameGeometry().size(), available));
  else
    move(available.center() - rect().center());
}

void FindWindow::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) findWhat_->setFocus();
}

TextSearch FindWindow::criteria() const {
  return TextSearch{findWhat_->text(), caseSensitive_->isChecked(), wholeWord_->isChecked()};
}

bool FindWindow::search() {
  const int from = fromTop_ ? 0 : pane_->textCursor().selectionEnd();
  const TextSearch search = criteria();
  const int start = findNextMatch(*pane_->document(), search, from);
  // Searching is cyclic: after a miss the next search starts at the top.
  fromTop_ = start < 0;
  if (start < 0) return false;
  QTextCursor found(pane_->document());
  found.setPosition(start);
  found.setPosition(start + int(search.what.size()), QTextCursor::KeepAnchor);
  pane_->setTextCursor(found);
  return true;
}

void FindWindow::findNext() {
  if (findWhat_->text().isEmpty()) return;
  if (search()) {
    replace_->setEnabled(true);
    replaceAll_->setEnabled(true);
  } else {
    Dialogs::current().message(this, "Search Help", "String not found", MessageIcon::Information);
  }
}

void FindWindow::replace() {
  if (findWhat_->text().isEmpty()) return;
  QTextCursor cursor = pane_->textCursor();
  if (cursor.hasSelection()) {
    cursor.insertText(replaceWith_->text());
    pane_->setTextCursor(cursor);
  }
  search();
}

int FindWindow::replaceAll() {
  const TextSearch search = criteria();
  if (search.what.isEmpty()) return 0;
  cancelled_ = false;
  const QString replacement = replaceWith_->text();
  // All matches are found in one pass first; each replacement then shifts the
  // ones after it by the same amount. The pane takes no typing meanwhile, so
  // the positions stay true while Cancel is looked at.
  const std::vector<int> starts = findAllMatches(*pane_->document(), search);
  const int lengthChange = int(replacement.size() - search.what.size());
  const bool wasReadOnly = pane_->isReadOnly();
  pane_->setReadOnly(true);
  QTextCursor cursor(pane_->document());
  int count = 0;
  QElapsedTimer clock;
  clock.start();
  cursor.beginEditBlock();  // one undo step for all of them
  for (int start : starts) {
    if (cancelled_) break;
    const int shifted = start + count * lengthChange;
    cursor.setPosition(shifted);
    cursor.setPosition(shifted + int(search.what.size()), QTextCursor::KeepAnchor);
    cursor.insertText(replacement);
    ++count;
    if (clock.elapsed() >= kYieldEveryMs) {
      QApplication::processEvents();
      clock.restart();
    }
  }
  cursor.endEditBlock();
  pane_->setReadOnly(wasReadOnly);
  if (count > 0) pane_->setTextCursor(cursor);
  fromTop_ = false;
  Dialogs::current().message(
      this, "Search Help",
      count == 1 ? QString("Replaced 1 match.") : QString("Replaced %1 matches.").arg(count),
      MessageIcon::Information);
  return count;
}

void FindWindow::cancel() {
  reject();
}

void FindWindow::reject() {
  cancelled_ = true;
  QDialog::reject();
}

}  // namespace tallyfold::gui
