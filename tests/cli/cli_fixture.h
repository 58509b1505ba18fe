#pragma once
// The real tallyfold-cli, run with a home of its own (settings store,
// application folder) beside a tree of files to list.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "support/process.h"
#include "support/temp_dir.h"

namespace tallyfold::test {

class CliFixture : public ::testing::Test {
 protected:
  TempDir home;
  TempDir tree;
  std::string timeZone = "UTC";

  virtual std::map<std::string, std::string> env() const {
    return {{"XDG_CONFIG_HOME", home / "config"},
            {"TALLYFOLD_HOME", home / "app"},
            {"HOME", home.path()},
            {"LC_ALL", "C.UTF-8"},
            {"TZ", timeZone}};
  }
  ProcessResult run(std::vector<std::string> args, int dropToUid = -1) const {
    return runProgram(cliPath(), args, env(), {}, dropToUid);
  }
};

}  // namespace tallyfold::test
