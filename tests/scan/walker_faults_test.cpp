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

ScanResult scanFollowing(const std::vector<ScanLocation>& locations, bool followLinks) {
  ScanRequest request{locations, {}, true, followLinks};
  RunControl control;
  return runScan(request, control);
}

TEST(WalkerLinks, LinksToFoldersKeepTheirRecordAndAreNotEntered) {
  TempDir dir;
  dir.writeFile("elsewhere/far.txt", "far");
  dir.writeFile("loc/own.txt", "o");
  ASSERT_EQ(symlink((dir / "elsewhere").c_str(), (dir / "loc/linked").c_str()), 0);
  ASSERT_EQ(symlink((dir / "missing").c_str(), (dir / "loc/broken.lnk").c_str()), 0);
  ASSERT_EQ(symlink((dir / "elsewhere/far.txt").c_str(), (dir / "loc/file.lnk").c_str()), 0);
  ASSERT_EQ(symlink("..", (dir / "loc/up").c_str()), 0);
  ASSERT_EQ(symlink(".", (dir / "loc/self").c_str()), 0);
  std::string r = dir.path() + "/loc/";
  struct stat link;
  ASSERT_EQ(lstat((r + "broken.lnk").c_str(), &link), 0);
  Texts shared{folderRecord(r),
               r + "|own.txt|000000000000001",
               r + "|broken.lnk|" + formatSizeField(link.st_size),
               r + "|file.lnk|000000000000003",
               folderRecord(r + "linked/"),
               folderRecord(r + "up/"),
               folderRecord(r + "self/")};
  ScanResult plain = scanFollowing({location(dir.path() + "/loc")}, false);
  EXPECT_EQ(sorted(test::texts(plain)), sorted(shared));
  EXPECT_EQ(plain.totals[0].folders, 3u);
  EXPECT_TRUE(plain.failures.empty());

  // Followed, every folder is entered once: "self", and "loc" again inside
  // "up", are the location itself; "elsewhere" is entered through "linked" or
  // through "up", whichever the listing gives first, and listed once.
  ScanResult following = scanFollowing({location(dir.path() + "/loc")}, true);
  Texts records = test::texts(following);
  Texts found;
  for (const std::string& text : records) {
    if (std::count(shared.begin(), shared.end(), text) == 0) found.push_back(text);
  }
  for (const std::string& text : shared)
    EXPECT_EQ(std::count(records.begin(), records.end(), text), 1);
  Texts throughLinked{folderRecord(r + "up/elsewhere/"), folderRecord(r + "up/loc/"),
                      r + "linked/|far.txt|000000000000003"};
  Texts throughUp{folderRecord(r + "up/elsewhere/"), folderRecord(r + "up/loc/"),
                  r + "up/elsewhere/|far.txt|000000000000003"};
  EXPECT_TRUE(sorted(found) == sorted(throughLinked) || sorted(found) == sorted(throughUp))
      << ::testing::PrintToString(found);
  EXPECT_TRUE(following.failures.empty());
}

TEST(WalkerLinks, FollowedLinksEnterEachFolderOncePerScan) {
  TempDir dir;
  // Every level holds two links to the next: followed without care, level n
  // would be walked 2^n times.
  constexpr int kLevels = 23;
  for (int level = 0; level < kLevels; ++level) {
    std::string here = dir.makeDir("f" + std::to_string(level));
    dir.writeFile("f" + std::to_string(level) + "/file.txt", "x");
    if (level + 1 < kLevels) {
      std::string next = dir / ("f" + std::to_string(level + 1));
      ASSERT_EQ(symlink(next.c_str(), (here + "/a").c_str()), 0);
      ASSERT_EQ(symlink(next.c_str(), (here + "/b").c_str()), 0);
    }
  }
  ScanResult plain = scanFollowing({location(dir / "f0")}, false);
  // f0, its file and the two links' folder records.
  EXPECT_EQ(plain.records.size(), 4u);
  ScanResult followed = scanFollowing({location(dir / "f0")}, true);
  // Each of the 23 folders is entered once and lists its file; every level but
  // the first also has the record of the link that was not entered.
  EXPECT_EQ(followed.totals[0].files, static_cast<uint64_t>(kLevels));
  EXPECT_EQ(followed.records.size(), 2u * kLevels + (kLevels - 1));
  // The same on every run: the first link in listing order is the one entered.
  EXPECT_EQ(test::texts(scanFollowing({location(dir / "f0")}, true)), test::texts(followed));
  // A folder entered in one location is not entered again from another.
  ScanResult twice = scanFollowing({location(dir / "f0"), location(dir / "f1/a")}, true);
  EXPECT_EQ(twice.totals[1].files, 1u);
  EXPECT_EQ(twice.totals[1].folders, 2u);
}

TEST(WalkerLinks, ALocationThatIsALinkIsWalked) {
  TempDir dir;
  dir.writeFile("real/inner/a.txt", "a");
  ASSERT_EQ(symlink((dir / "real").c_str(), (dir / "named").c_str()), 0);
  std::string r = dir.path() + "/named/";
  EXPECT_EQ(
      sorted(test::scanTexts({location(dir / "named")})),
      sorted({folderRecord(r), folderRecord(r + "inner/"), r + "inner/|a.txt|000000000000001"}));
}

TEST(WalkerLinks, ProcSelfIsWalkedWithoutGoingThroughItsLinks) {
  ScanResult result = scanFollowing({location("/proc/self")}, false);
  for (const std::string& text : test::texts(result)) {
    for (const std::string link : {"/proc/self/root/", "/proc/self/cwd/"}) {
      ASSERT_TRUE(!text.starts_with(link) || text == folderRecord(link)) << text;
    }
  }
  Texts records = test::texts(result);
  EXPECT_EQ(std::count(records.begin(), records.end(), folderRecord("/proc/self/root/")), 1);
  EXPECT_EQ(std::count(records.begin(), records.end(), folderRecord("/proc/self/cwd/")), 1);
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
  WalkContext context({}, true, control);
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
