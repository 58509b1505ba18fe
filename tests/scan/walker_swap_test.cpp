// A walk whose sub-folders are swapped for links to a folder outside the
// location while it runs: nothing outside is ever listed, and a swapped folder
// met by the walk is named as changed, not entered.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "scan/walker.h"
#include "support/folder_swapper.h"
#include "support/temp_dir.h"
#include "tests/scan/walker_test_util.h"

namespace tallyfold {
namespace {

using test::location;
using test::TempDir;

constexpr int kSwappedFolders = 16;

TEST(WalkerSwap, AFolderSwappedForALinkDuringTheWalkIsNeverEntered) {
  TempDir dir;
  for (int i = 0; i < 40; ++i) dir.writeFile("outside/escaped" + std::to_string(i) + ".txt", "x");
  for (int i = 0; i < kSwappedFolders; ++i) {
    const std::string folder = "loc/d" + std::to_string(i);
    for (int j = 0; j < 8; ++j) dir.writeFile(folder + "/inside" + std::to_string(j) + ".txt");
    dir.writeFile(folder + "/deeper/inside.txt");
  }
  std::vector<std::string> swapped;
  for (int i = 0; i < kSwappedFolders; ++i) swapped.push_back(dir / ("loc/d" + std::to_string(i)));
  uint64_t scans = 0;
  uint64_t changedFolders = 0;
  test::FolderSwapper swapper(swapped, dir / "outside");
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(4);
  while (std::chrono::steady_clock::now() < until) {
    const ScanResult result = test::scan({location(dir / "loc")}, false);
    ++scans;
    for (RecordRef record : result.records) {
      const std::string text = result.store.recordText(record);
      ASSERT_EQ(text.find("escaped"), std::string::npos) << "listed from outside: " << text;
    }
    for (const ReadFailure& failure : result.failures) {
      if (failure.problem == "the folder changed during the scan") {
        ++changedFolders;
      } else {
        // A folder renamed away between its listing and its opening.
        EXPECT_EQ(failure.error, ENOENT) << failure.path << ": " << failure.problem;
      }
    }
  }
  EXPECT_GT(swapper.swaps(), 0u);
  RecordProperty("scans", static_cast<int>(scans));
  RecordProperty("changedFolders", static_cast<int>(changedFolders));
}

}  // namespace
}  // namespace tallyfold
