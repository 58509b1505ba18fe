#include "gui/bug_window.h"

#include <QApplication>
#include <QClipboard>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "gui/dialogs.h"
#include "gui/help_links.h"
#include "platform/system_summary.h"

namespace tallyfold::gui {

namespace {

constexpr char kPrompt[] =
    "< Please describe here what you were doing exactly when this error occurred >";

QLabel* namedLabel(const char* name, const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return label;
}

QPushButton* namedButton(const char* name, const QString& caption, QWidget* parent) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  button->setAutoDefault(false);
  return button;
}

}  // namespace

BugWindow::BugWindow(const FailureReport& failure, QWidget* parent)
    : QDialog(parent), summary_(QString::fromStdString(systemSummary())) {
  setObjectName("BugFrm");
  setWindowTitle("Bug Report");
  setModal(true);
  buildLayout(failure);
}

void BugWindow::buildLayout(const FailureReport& failure) {
  auto* message1 = namedLabel("lblmsg1", "Please tell Corvane about this problem.", this);
  QFont bold = message1->font();
  bold.setBold(true);
  message1->setFont(bold);
  auto* message2 = namedLabel(
      "lblmsg2",
      "We are very sorry for the inconvenience and we would like to provide a fix for this "
      "error. You may help us a great deal by reporting this error via email. please fill the "
      "text box below and press the Send Error Report button. Thanks for your time.",
      this);
  message2->setWordWrap(true);

  auto* facts = new QFormLayout;
  errNo_ = namedLabel("lblErrNo", QString::number(failure.number), this);
  errDesc_ = namedLabel("lblErrDesc", failure.description, this);
  errDesc_->setWordWrap(true);
  errPro_ = namedLabel("lblErrPro", failure.operation, this);
  errLine_ = namedLabel("lblErrLine", QString::number(failure.line), this);
  facts->addRow(namedLabel("Label3", "Error No", this), errNo_);
  facts->addRow(namedLabel("Label4", "Description", this), errDesc_);
  facts->addRow(namedLabel("Label5", "Procedure", this), errPro_);
  facts->addRow(namedLabel("Label6", "Error Line", this), errLine_);

  description_ = new QPlainTextEdit(kPrompt, this);
  description_->setObjectName("Text1");

  auto* retry = namedButton("Command1", "Retry", this);
  auto* abort = namedButton("Command2", "Abort", this);
  auto* send = namedButton("Command3", "Send Error Report", this);
  connect(retry, &QPushButton::clicked, this, [this] { finish(Retry); });
  connect(abort, &QPushButton::clicked, this, [this] { finish(Abort); });
  connect(send, &QPushButton::clicked, this, &BugWindow::sendErrorReport);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(send);
  buttons->addStretch();
  buttons->addWidget(retry);
  buttons->addWidget(abort);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(message1);
  layout->addWidget(message2);
  layout->addLayout(facts);
  layout->addWidget(description_, 1);
  layout->addLayout(buttons);
  resize(480, 420);
}

void BugWindow::finish(ReturnCode code) {
  returnCode_ = code;
  hide();
  done(code);
}

QString BugWindow::reportText() const {
  QString text;
  text += "Error No    : " + errNo_->text() + "\r\n";
  text += "Description : " + errDesc_->text() + "\r\n";
  text += "Procedure   : " + errPro_->text() + "\r\n";
  text += "Error Line  : " + errLine_->text() + "\r\n";
  text += "Product     : Tallyfold\r\n";
  text += "Version     : " TALLYFOLD_VERSION "\r\n";
  text += "Build       : 1500\r\n\r\n";
  text += description_->toPlainText();
  text += "\r\n\r\n" + summary_;
  return text;
}

QString BugWindow::mailAddress() {
  // Every character outside the unreserved set is escaped, "+" included, which
  // some mail programs would otherwise read as a blank.
  QByteArray subject = QUrl::toPercentEncoding("Bug Report - Tallyfold v" TALLYFOLD_VERSION);
  QByteArray body =
      QUrl::toPercentEncoding("Please paste the contents of the clipboard below (Press CTRL+V):");
  return "mailto:" + supportAddress() + "?subject=" + QString::fromLatin1(subject) +
         "&body=" + QString::fromLatin1(body);
}

void BugWindow::sendErrorReport() {
  QApplication::clipboard()->setText(reportText());
  Dialogs::current().message(this, "Thank You",
                             "Please send the message manually.\r\nFull instructions have been "
                             "copied to the clipboard.\r\n\r\nThank you.",
                             MessageIcon::Warning);
  Dialogs::current().openUrl(mailAddress());
}

}  // namespace tallyfold::gui
