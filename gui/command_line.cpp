#include "gui/command_line.h"

#include <cstdlib>

namespace tallyfold::gui {

namespace {

bool isSet(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

}  // namespace

CommandLine parseCommandLine(const std::vector<std::string>& args) {
  CommandLine line;
  for (const std::string& arg : args) {
    if (arg == "--version" || arg == "-V") {
      line.action = CommandLine::Action::Version;
    } else if (arg == "--help" || arg == "-h") {
      line.action = CommandLine::Action::Help;
    } else if (!arg.empty() && arg[0] == '-') {
      line.action = CommandLine::Action::Error;
      line.error = "unknown option " + arg;
    } else if (line.jobPath.empty()) {
      line.jobPath = arg;
    } else {
      line.action = CommandLine::Action::Error;
      line.error = "only one job file can be opened";
    }
    if (line.action != CommandLine::Action::Run) break;
  }
  return line;
}

std::string versionText() {
  return std::string("tallyfold ") + TALLYFOLD_VERSION + "\n";
}

std::string helpText() {
  return "Usage: tallyfold [JOB.dif]\n"
         "Lists the files and folders under chosen folders as a formatted report.\n"
         "Opens JOB.dif instead of the last job when one is given.\n\n"
         "  -h, --help     show this help and exit\n"
         "  -V, --version  show the version and exit\n\n"
         "Without a display, use the command-line program: tallyfold-cli --help\n";
}

bool haveDisplay() {
  return isSet("DISPLAY") || isSet("WAYLAND_DISPLAY") || isSet("QT_QPA_PLATFORM");
}

std::string noDisplayText() {
  return "tallyfold: no display to show the window on (DISPLAY is not set); "
         "for reports without a window run tallyfold-cli (see tallyfold-cli --help).\n";
}

}  // namespace tallyfold::gui
