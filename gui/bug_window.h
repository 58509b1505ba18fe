#pragma once
// The error-report window (objectName BugFrm): the error report shown when a long operation fails.
// It says what failed, lets the user describe what they were doing, can hand a report to the mail
// program, and returns Retry or Abort to the failed operation.

#include <QDialog>

class QLabel;
class QPlainTextEdit;

namespace tallyfold::gui {

struct FailureReport {
  int number = 0;
  QString description;
  QString operation;  // such as "Scanning" or "Add Folders"
  int line = 0;
};

class BugWindow : public QDialog {
  Q_OBJECT

 public:
  enum ReturnCode { Closed = 0, Retry = 1, Abort = 2 };

  BugWindow(const FailureReport& failure, QWidget* parent);

  int returnCode() const { return returnCode_; }
  // The text that Send Error Report copies: the failure, the product, the
  // user's description and this computer's summary.
  QString reportText() const;
  // The mail address with subject and body percent-encoded.
  static QString mailAddress();

 private:
  void buildLayout(const FailureReport& failure);
  void finish(ReturnCode code);
  void sendErrorReport();

  QPlainTextEdit* description_ = nullptr;
  QLabel* errNo_ = nullptr;
  QLabel* errDesc_ = nullptr;
  QLabel* errPro_ = nullptr;
  QLabel* errLine_ = nullptr;
  int returnCode_ = Closed;
  // This computer as it was when the failure was reported: read once, so the
  // copied and the mailed report say the same.
  QString summary_;
};

}  // namespace tallyfold::gui
