// The real tallyfold-cli over a tree whose folders are swapped for links to a
// folder outside while it runs: nothing outside is listed, and a folder found
// changed is named on standard error with exit status 1.

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "support/folder_swapper.h"
#include "support/process.h"
#include "tests/cli/cli_fixture.h"

namespace tallyfold::test {
namespace {

class CliSwapTest : public CliFixture {};

TEST_F(CliSwapTest, FoldersSwappedDuringTheScanAreNamedAndNeverEntered) {
  for (int i = 0; i < 20; ++i) tree.writeFile("outside/escaped" + std::to_string(i) + ".txt");
  std::vector<std::string> swapped;
  for (int i = 0; i < 8; ++i) {
    const std::string folder = "loc/d" + std::to_string(i);
    for (int j = 0; j < 5; ++j) tree.writeFile(folder + "/inside" + std::to_string(j) + ".txt");
    tree.writeFile(folder + "/deeper/inside.txt");
    swapped.push_back(tree / folder);
  }
  int changedRuns = 0;
  {
    FolderSwapper swapper(swapped, tree / "outside");
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (std::chrono::steady_clock::now() < until) {
      auto result = run({"-q", "--records", tree / "loc"});
      ASSERT_EQ(result.out.find("escaped"), std::string::npos) << result.out;
      ASSERT_TRUE(result.exitCode == 0 || result.exitCode == 1) << result.err;
      if (result.err.find("': the folder changed during the scan\n") != std::string::npos) {
        EXPECT_EQ(result.exitCode, 1);
        ++changedRuns;
      }
    }
  }
  RecordProperty("runsWithChangedFolders", changedRuns);
  // Left alone, the tree lists whole again.
  auto calm = run({"-q", "--records", tree / "loc"});
  EXPECT_EQ(calm.exitCode, 0) << calm.err;
  EXPECT_EQ(calm.out.find("escaped"), std::string::npos);
}

}  // namespace
}  // namespace tallyfold::test
