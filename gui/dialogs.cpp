#include "gui/dialogs.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QDesktopServices>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QUrl>
#include <QVBoxLayout>

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

}  // namespace

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
  QMessageBox box(messageBoxIcon(icon), title, text, QMessageBox::Ok, parent);
  box.exec();
}

bool Dialogs::askYesNo(QWidget* parent, const QString& title, const QString& text) {
  return QMessageBox::question(parent, title, text, QMessageBox::Yes | QMessageBox::No,
                               QMessageBox::No) == QMessageBox::Yes;
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

bool Dialogs::choosePageSetup(QWidget* parent, QPrinter& printer, bool& pageNumbers) {
  QPageSetupDialog dialog(&printer, parent);
  // The footer switch belongs with the page's layout, so it sits in the same
  // dialog, above its buttons (the Linux dialog is a plain vertical layout).
  auto* footer = new QCheckBox("Print \"Page N of M\" at the foot of each page", &dialog);
  footer->setObjectName("chkPageNumbers");
  footer->setChecked(pageNumbers);
  if (auto* layout = qobject_cast<QVBoxLayout*>(dialog.layout()))
    layout->insertWidget(layout->count() - 1, footer);
  if (dialog.exec() != QDialog::Accepted) return false;
  pageNumbers = footer->isChecked();
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
