// The window program tallyfold.

#include <QApplication>
#include <cstdio>

#include <QTimer>
#include "gui/command_line.h"
#include "gui/edit_probe.h"
#include "gui/main_window.h"
#include "gui/scan_probe.h"
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
  window.startUp(QString::fromLocal8Bit(line.jobPath.c_str()));
  window.show();
  if (line.probe == "startup") QTimer::singleShot(0, &application, &QApplication::quit);
  if (line.probe == "scan") {
    auto* probe = new tallyfold::gui::ScanProbe(&window);
    // After the window's first paint, as a user's F5 would come.
    QTimer::singleShot(500, probe, &tallyfold::gui::ScanProbe::start);
  }
  if (line.probe == "edit") {
    auto* probe = new tallyfold::gui::EditProbe(&window);
    QTimer::singleShot(500, probe, &tallyfold::gui::EditProbe::start);
  }
  return QApplication::exec();
}
