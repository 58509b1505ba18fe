// The error report: Retry runs the failed operation again, Abort ends it, and
// the report the user sends.

#include <gtest/gtest.h>

#include <QClipboard>
#include <QLabel>
#include <QPushButton>
#include <stdexcept>
#include <system_error>

#include "gui/bug_window.h"
#include "gui/guarded_operation.h"
#include "gui_fixture.h"
#include "platform/system_summary.h"

namespace tallyfold::test {
namespace {

class BugReportTest : public GuiTest {};

void press(const char* button) {
  whenModal([button](QWidget* window) {
    EXPECT_EQ(window->objectName(), "BugFrm");
    EXPECT_EQ(child<QLabel>(window, "lblErrPro")->text(), "Add Folders");
    child<QPushButton>(window, button)->click();
  });
}

TEST_F(BugReportTest, RetryRunsAgainAbortAndCloseEndTheOperation) {
  int runs = 0;
  press("Command1");
  EXPECT_TRUE(gui::runGuarded(nullptr, "Add Folders", [&] {
    if (++runs == 1) throw std::system_error(EACCES, std::generic_category(), "no entry");
  }));
  EXPECT_EQ(runs, 2);

  runs = 0;
  press("Command2");
  EXPECT_FALSE(gui::runGuarded(nullptr, "Add Folders", [&] {
    ++runs;
    throw std::runtime_error("broken");
  }));
  EXPECT_EQ(runs, 1);

  whenModal([](QWidget* window) { window->close(); });
  EXPECT_FALSE(gui::runGuarded(nullptr, "Add Folders", [] { throw 42; }));
}

TEST_F(BugReportTest, TheReportNamesTheFailureTheProductAndThisComputer) {
  gui::FailureReport failure{13, "Permission denied", "Scanning", 0};
  gui::BugWindow window(failure, nullptr);
  EXPECT_EQ(child<QLabel>(&window, "lblErrNo")->text(), "13");
  QString text = window.reportText();
  EXPECT_TRUE(
      text.startsWith("Error No    : 13\r\nDescription : Permission denied\r\n"
                      "Procedure   : Scanning\r\nError Line  : 0\r\n"
                      "Product     : Tallyfold\r\nVersion     : 1.5.0\r\n"
                      "Build       : 1500\r\n\r\n< Please describe here"));
  EXPECT_TRUE(text.contains("Computer Name: "));

  child<QPushButton>(&window, "Command3")->click();
  child<QPushButton>(&window, "Command3")->click();
  EXPECT_EQ(QApplication::clipboard()->text(), text);
  ASSERT_EQ(dialogs.urls.size(), 2);
  EXPECT_EQ(dialogs.messages[0].title, "Thank You");
  QString mail = dialogs.urls[0];
  EXPECT_TRUE(mail.contains("?subject=Bug%20Report%20-%20Tallyfold%20v1.5.0&body=Please%20paste"));
  EXPECT_FALSE(mail.contains(' '));
  EXPECT_TRUE(mail.contains("%28Press%20CTRL%2BV%29%3A"));
}

TEST_F(BugReportTest, SystemSummaryHasItsFiveLinesWithMemoryInMebibytes) {
  std::string summary = systemSummary();
  for (const char* label :
       {"Computer Name: ", "OS : Linux ", "Total Ram: ", "Ram Available: ", "IP Address: "})
    EXPECT_NE(summary.find(label), std::string::npos) << label;
  EXPECT_NE(summary.find(" MiB\r\n"), std::string::npos);
  EXPECT_EQ(summary.substr(summary.size() - 2), "\r\n");
}

}  // namespace
}  // namespace tallyfold::test
