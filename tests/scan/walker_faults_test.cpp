// The walk where the file system is not plain: huge files, links that lead
// back up, folders and files that cannot be read, missing locations and names
// with characters a record could trip over.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "scan/walker.h"
#include "support/temp_dir.h"
#include "support/unprivileged.h"
#include "tests/scan/walker_test_util.h"

namespace tallyfold {
namespace {

using test::folderRecord;
using test::location;
using test::scan;
using test::scanTexts;
using test::sorted;
using test::TempDir;
using Texts = std::vector<std::string>;

TEST(WalkerFaults, SizesBeyondFourGibibytesAreKeptWhole) {
  TempDir dir;
  dir.makeSizedFile("big.bin", 4294967296ull);
  dir.makeSizedFile("bigger.bin", 5ull << 32);
  ScanResult result = scan({location(dir.path())}, false);
  EXPECT_EQ(sorted(test::texts(result)), sorted({dir.path() + "/|big.bin|000004294967296",
                                                 dir.path() + "/|bigger.bin|000021474836480"}));
  EXPECT_EQ(result.totals[0].totalSize, 4294967296ull + (5ull << 32));
}

TEST(WalkerFaults, LinkBackIntoItsOwnTreeStopsAtOneFolderRecord) {
  TempDir dir;
  dir.writeFile("tree/a.txt", "a");
  ASSERT_EQ(symlink("..", (dir / "tree/up").c_str()), 0);
  ASSERT_EQ(symlink(".", (dir / "tree/self").c_str()), 0);
  std::string r = dir.path() + "/tree/";
  ScanResult result = scan({location(dir.path() + "/tree")});
  // "up" leads to the folder above the location: a new folder, walked once;
  // inside it "tree" is the location again and stops there.
  EXPECT_EQ(sorted(test::texts(result)),
            sorted({folderRecord(r), r + "|a.txt|000000000000001", folderRecord(r + "self/"),
                    folderRecord(r + "up/"), folderRecord(r + "up/tree/")}));
  EXPECT_TRUE(result.failures.empty());
}

TEST(WalkerFaults, LinksToFoldersAreWalkedAndBrokenLinksListed) {
  TempDir dir;
  dir.writeFile("elsewhere/far.txt", "far");
  dir.writeFile("loc/own.txt", "o");
  ASSERT_EQ(symlink((dir / "elsewhere").c_str(), (dir / "loc/linked").c_str()), 0);
  ASSERT_EQ(symlink((dir / "missing").c_str(), (dir / "loc/broken.lnk").c_str()), 0);
  ASSERT_EQ(symlink((dir / "elsewhere/far.txt").c_str(), (dir / "loc/file.lnk").c_str()), 0);
  std::string r = dir.path() + "/loc/";
  struct stat link;
  ASSERT_EQ(lstat((r + "broken.lnk").c_str(), &link), 0);
  ScanResult result = scan({location(dir.path() + "/loc")});
  EXPECT_EQ(
      sorted(test::texts(result)),
      sorted({folderRecord(r), r + "|own.txt|000000000000001",
              r + "|broken.lnk|" + formatSizeField(link.st_size), r + "|file.lnk|000000000000003",
              folderRecord(r + "linked/"), r + "linked/|far.txt|000000000000003"}));
  EXPECT_TRUE(result.failures.empty());
}

TEST(WalkerFaults, MissingLocationKeepsItsFolderRecordAndIsAFailure) {
  TempDir dir;
  std::string missing = dir.path() + "/gone";
  ScanResult result = scan({location(missing), location(dir.path())});
  EXPECT_EQ(test::texts(result),
            (Texts{folderRecord(missing + "/"), folderRecord(dir.path() + "/")}));
  ASSERT_EQ(result.failures.size(), 1u);
  EXPECT_EQ(result.failures[0].path, missing + "/");
  EXPECT_EQ(result.failures[0].error, ENOENT);
  EXPECT_EQ(result.totals.size(), 2u);
}

TEST(WalkerFaults, OddNamesComeThroughUnchanged) {
  TempDir dir;
  Texts names{"pipe|in name.txt", "back\\slash.txt", "new\nline.txt", "bad\xff\xfe.txt",
              "sp ace .txt"};
  for (const std::string& name : names) dir.writeFile("odd/" + name, "12");
  dir.writeFile("odd/fold|er\xc0/x.txt", "1");
  std::string r = dir.path() + "/odd/";
  Texts expected{folderRecord(r), folderRecord(r + "fold|er\xc0/"),
                 r + "fold|er\xc0/|x.txt|000000000000001"};
  for (const std::string& name : names) expected.push_back(r + "|" + name + "|000000000000002");
  ScanResult result = scan({location(dir.path() + "/odd")});
  EXPECT_EQ(sorted(test::texts(result)), sorted(expected));
}

TEST(WalkerFaults, UnreadableFoldersAndFilesAreCollectedAsFailures) {
  TempDir dir;
  ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
  dir.writeFile("loc/ok.txt", "ok");
  dir.writeFile("loc/locked/hidden.txt", "x");
  dir.writeFile("loc/listonly/seen.txt", "y");
  ASSERT_EQ(chmod((dir / "loc").c_str(), 0755), 0);
  ASSERT_EQ(chmod((dir / "loc/ok.txt").c_str(), 0644), 0);
  ASSERT_EQ(chmod((dir / "loc/locked").c_str(), 0000), 0);
  // Names can be listed but not looked up: the file cannot be examined.
  ASSERT_EQ(chmod((dir / "loc/listonly").c_str(), 0444), 0);
  const std::string r = dir.path() + "/loc/";
  // The sorted records, then the sorted failures as "path errno".
  auto walkText = [](const Texts& records, const Texts& failures) {
    std::string text;
    for (const std::string& record : sorted(records)) text += record + "\n";
    for (const std::string& failure : sorted(failures)) text += "failed " + failure + "\n";
    return text;
  };
  const std::optional<std::string> walk = test::runUnprivileged([&] {
    ScanResult result = scan({location(dir.path() + "/loc")});
    Texts failures;
    for (const ReadFailure& f : result.failures) {
      failures.push_back(f.path + " " + std::to_string(f.error));
    }
    return walkText(test::texts(result), failures);
  });
  const std::string denied = " " + std::to_string(EACCES);
  EXPECT_EQ(walk, walkText({folderRecord(r), r + "|ok.txt|000000000000002",
                            folderRecord(r + "locked/"), folderRecord(r + "listonly/")},
                           {r + "locked/" + denied, r + "listonly/seen.txt" + denied}));
}

int openDescriptors() {
  return static_cast<int>(test::listingOrder("/proc/self/fd").size());
}

TEST(WalkerFaults, DeepTreesWithManyWaitingFoldersKeepFewFilesOpen) {
  TempDir dir;
  // Every level holds two folders; the walk goes down into the one listed
  // first, so while the deepest folders are read a folder waits at every level
  // above, and its parent with it.
  constexpr int kDepth = 400;
  std::string level = dir.makeDir("loc");
  for (int depth = 0; depth < kDepth; ++depth) {
    dir.makeDir(level.substr(dir.path().size() + 1) + "/x");
    dir.makeDir(level.substr(dir.path().size() + 1) + "/y");
    Texts order = test::listingOrder(level);
    ASSERT_EQ(order.size(), 2u);
    dir.writeFile(level.substr(dir.path().size() + 1) + "/" + order[1] + "/f.txt", "f");
    level += "/" + order[0];
  }
  // Fewer descriptors than levels: keeping every waiting folder open would fail.
  struct rlimit saved;
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
  struct rlimit tight = saved;
  tight.rlim_cur = 300;
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &tight), 0);
  int before = openDescriptors();
  // One reading thread: a second one would take the waiting folders at once.
  std::vector<ScanLocation> rows{location(dir.path() + "/loc")};
  RunControl control;
  WalkContext context({}, rows, true, control);
  context.setThreads(1);
  ScanResult result;
  result.totals.push_back(walkLocation(rows[0].folder, CurrentLocation{}, context, result));
  int after = openDescriptors();
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &saved), 0);
  EXPECT_EQ(after, before);
  EXPECT_TRUE(result.failures.empty()) << result.failures.front().path;
  EXPECT_EQ(result.totals[0].folders, 2u * kDepth);
  EXPECT_EQ(result.totals[0].files, static_cast<uint64_t>(kDepth));
  EXPECT_EQ(result.records.size(), 3u * kDepth + 1);
}

}  // namespace
}  // namespace tallyfold
