#pragma once
// The window program's few arguments: --version, --help and a job file to
// open instead of the default job. They are read before any window exists, so
// --version and --help answer without a display.

#include <string>
#include <vector>

namespace tallyfold::gui {

struct CommandLine {
  enum class Action { Run, Version, Help, Error } action = Action::Run;
  std::string jobPath;  // bytes, as given
  std::string error;
};

CommandLine parseCommandLine(const std::vector<std::string>& args);
std::string versionText();
std::string helpText();
// Whether a display is there to show the window on (or a platform is named).
bool haveDisplay();
std::string noDisplayText();

}  // namespace tallyfold::gui
