#include "gui/guarded_operation.h"

#include <system_error>

namespace tallyfold::gui {

FailureReport failureReportOf(const std::exception_ptr& failure, const QString& operation) {
  FailureReport report;
  report.operation = operation;
  try {
    std::rethrow_exception(failure);
  } catch (const std::system_error& error) {
    report.number = error.code().value();
    report.description = QString::fromStdString(error.what());
  } catch (const std::exception& error) {
    report.description = QString::fromStdString(error.what());
  } catch (...) {
    report.description = "Unknown failure";
  }
  return report;
}

bool askRetry(QWidget* parent, const FailureReport& report) {
  BugWindow window(report, parent);
  window.exec();
  return window.returnCode() == BugWindow::Retry;
}

bool runGuarded(QWidget* parent, const QString& operationName,
                const std::function<void()>& operation) {
  for (;;) {
    try {
      operation();
      return true;
    } catch (...) {
      if (!askRetry(parent, failureReportOf(std::current_exception(), operationName))) return false;
    }
  }
}

}  // namespace tallyfold::gui
