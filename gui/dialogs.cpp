#include "gui/dialogs.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QDesktopServices>
#include <QFileDialog>
#include <QGridLayout>
#include <QInputDialog>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QUrl>
#include <QVBoxLayout>
#include <memory>

namespace tallyfold::gui {

namespace {

Dialogs* installed = nullptr;

QMessageBox::Icon messageBoxIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Information:
      return QMessageBox::Information;
    case MessageIcon::Warning:
      return QMessageBox::Warning;
    case MessageIcon::Critical:
      return QMessageBox::Critical;
    case MessageIcon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

// Room that a title bar takes beside its text: the window's icon and its
// close, minimise and maximise buttons.
constexpr int kTitleBarButtonsWidth = 160;

// QMessageBox sizes itself from its text alone and ignores a minimum width,
// so a spacer across its layout's last row carries the title's width.
void widenForTitle(QMessageBox& box, const QString& title) {
  const int width = box.fontMetrics().horizontalAdvance(title) + kTitleBarButtonsWidth;
  auto* grid = qobject_cast<QGridLayout*>(box.layout());
  if (grid == nullptr) return;
  grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Minimum),
                grid->rowCount(), 0, 1, grid->columnCount());
}

}  // namespace

QMessageBox* newMessageBox(QWidget* parent, const QString& title, const QString& text,
                           MessageIcon icon) {
  auto* box = new QMessageBox(messageBoxIcon(icon), title, text, QMessageBox::Ok, parent);
  widenForTitle(*box, title);
  return box;
}

QMessageBox* newQuestionBox(QWidget* parent, const QString& title, const QString& text) {
  auto* box =
      new QMessageBox(QMessageBox::NoIcon, title, text, QMessageBox::Yes | QMessageBox::No, parent);
  box->setDefaultButton(QMessageBox::No);
  widenForTitle(*box, title);
  return box;
}

QString Dialogs::chooseFolder(QWidget* parent, const QString& title) {
  return QFileDialog::getExistingDirectory(parent, title);
}

QString Dialogs::openFile(QWidget* parent, const QString& title, const QString& filter) {
  return QFileDialog::getOpenFileName(parent, title, QString(), filter);
}

QString Dialogs::saveFile(QWidget* parent, const QString& title, const QString& filter,
                          QString* selectedFilter) {
  return QFileDialog::getSaveFileName(parent, title, QString(), filter, selectedFilter);
}

void Dialogs::message(QWidget* parent, const QString& title, const QString& text,
                      MessageIcon icon) {
  std::unique_ptr<QMessageBox> box(newMessageBox(parent, title, text, icon));
  box->exec();
}

bool Dialogs::askYesNo(QWidget* parent, const QString& title, const QString& text) {
  std::unique_ptr<QMessageBox> box(newQuestionBox(parent, title, text));
  return box->exec() == QMessageBox::Yes;
}

std::optional<QColor> Dialogs::chooseColour(QWidget* parent) {
  QColor colour = QColorDialog::getColor(Qt::black, parent);
  if (!colour.isValid()) return std::nullopt;
  return colour;
}

QString Dialogs::inputText(QWidget* parent, const QString& title, const QString& prompt) {
  bool ok = false;
  QString text = QInputDialog::getText(parent, title, prompt, QLineEdit::Normal, QString(), &ok);
  return ok ? text : QString();
}

bool Dialogs::choosePrinter(QWidget* parent, QPrinter& printer) {
  QPrintDialog dialog(&printer, parent);
  return dialog.exec() == QDialog::Accepted;
}

bool Dialogs::choosePageSetup(QWidget* parent, QPrinter& printer, PageOptions& options) {
  QPageSetupDialog dialog(&printer, parent);
  // The program's switches belong with the page's layout, so they sit in the
  // same dialog, above its buttons (the Linux dialog is a plain vertical
  // layout).
  auto* footer = new QCheckBox("Print \"Page N of M\" at the foot of each page", &dialog);
  footer->setObjectName("chkPageNumbers");
  footer->setChecked(options.pageNumbers);
  auto* fit = new QCheckBox("Fit to page width", &dialog);
  fit->setObjectName("chkFitToWidth");
  fit->setToolTip("Scale the listing down so that its longest line fits across the page");
  fit->setChecked(options.fitToWidth);
  if (auto* layout = qobject_cast<QVBoxLayout*>(dialog.layout())) {
    layout->insertWidget(layout->count() - 1, fit);
    layout->insertWidget(layout->count() - 1, footer);
  }
  if (dialog.exec() != QDialog::Accepted) return false;
  options.pageNumbers = footer->isChecked();
  options.fitToWidth = fit->isChecked();
  return true;
}

void Dialogs::openUrl(const QString& url) {
  QDesktopServices::openUrl(QUrl(url));
}

Dialogs& Dialogs::current() {
  static Dialogs platform;
  return installed != nullptr ? *installed : platform;
}

void Dialogs::install(Dialogs* dialogs) {
  installed = dialogs;
}

}  // namespace tallyfold::gui
