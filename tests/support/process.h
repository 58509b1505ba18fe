#pragma once
// Runs a program (the real command-line program in the CLI tests) and collects
// what it printed and its exit status.

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace tallyfold::test {

struct ProcessResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// Runs program with args; env entries are added to (or replace) the current
// environment; stdin is /dev/null. When dropToUid is not -1 and the test runs
// as root, the child switches to that uid/gid before running the program;
// inChild, when given, runs in the child just before the program starts.
ProcessResult runProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::map<std::string, std::string>& env = {},
                         const std::string& workingDir = {}, int dropToUid = -1,
                         const std::function<void()>& inChild = {});

// The command-line program's path in this build.
inline std::string cliPath() {
  return TALLYFOLD_CLI_PATH;
}

}  // namespace tallyfold::test
