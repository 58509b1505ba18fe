// The window program tallyfold.

#include <QApplication>
#include <cstdio>

#include "gui/command_line.h"
#include "gui/main_window.h"
#include "platform/memory_tuning.h"

using tallyfold::gui::CommandLine;

int main(int argc, char* argv[]) {
  CommandLine line =
      tallyfold::gui::parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  switch (line.action) {
    case CommandLine::Action::Version:
      std::fputs(tallyfold::gui::versionText().c_str(), stdout);
      return 0;
    case CommandLine::Action::Help:
      std::fputs(tallyfold::gui::helpText().c_str(), stdout);
      return 0;
    case CommandLine::Action::Error:
      std::fprintf(stderr, "tallyfold: %s\n%s", line.error.c_str(),
                   tallyfold::gui::helpText().c_str());
      return 2;
    case CommandLine::Action::Run:
      break;
  }
  if (!tallyfold::gui::haveDisplay()) {
    std::fputs(tallyfold::gui::noDisplayText().c_str(), stderr);
    return 1;
  }
  tallyfold::keepLargeBlocksMapped();
  QApplication application(argc, argv);
  QApplication::setApplicationName("Tallyfold");
  QApplication::setDesktopFileName("tallyfold");
  tallyfold::gui::MainWindow window;
  window.startUp(line.jobPath);
  window.show();
  return QApplication::exec();
}
