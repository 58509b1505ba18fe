#pragma once
// A long operation run at its edge: a failure (a C++ exception) opens the error
// report, whose Retry runs the operation again and whose Abort ends it.

#include <QString>
#include <exception>
#include <functional>

#include "gui/bug_window.h"

class QWidget;

namespace tallyfold::gui {

// The error report's facts for an exception.
FailureReport failureReportOf(const std::exception_ptr& failure, const QString& operation);

// Shows the error report modally; true when the user chose Retry.
bool askRetry(QWidget* parent, const FailureReport& report);

// Runs operation until it completes (true) or the user aborts after a failure
// (false).
bool runGuarded(QWidget* parent, const QString& operationName,
                const std::function<void()>& operation);

}  // namespace tallyfold::gui
