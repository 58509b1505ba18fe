// The walk's records: their shapes, their exact order, and the rules for
// folders and files (filter, level, sub-folders, hidden names, exclusions).
#include "scan/walker.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <functional>

#include "support/temp_dir.h"
#include "tests/scan/walker_test_util.h"

namespace tallyfold {
namespace {

using test::folderRecord;
using test::listingOrder;
using test::location;
using test::scan;
using test::scanTexts;
using test::sorted;
using test::TempDir;
using Texts = std::vector<std::string>;

// What the walk must give for a tree where every folder is walked and every
// file listed (no hidden names): the folder record, then the folder's entries
// in listing order, a sub-folder's records where its entry stands.
void expectedWalk(const std::string& folder, Texts& out) {
  out.push_back(folderRecord(folder));
  for (const std::string& name : listingOrder(folder)) {
    struct stat st;
    ASSERT_EQ(stat((folder + name).c_str(), &st), 0);
    if (S_ISDIR(st.st_mode)) {
      expectedWalk(folder + name + "/", out);
    } else {
      out.push_back(folder + "|" + name + "|" + formatSizeField(st.st_size));
    }
  }
}

TEST(WalkerRecords, FieldShapesAndSizeFormat) {
  EXPECT_EQ(formatSizeField(0), "000000000000000");
  EXPECT_EQ(formatSizeField(4294967296ull), "000004294967296");
  EXPECT_EQ(formatSizeField(UINT64_MAX), "18446744073709551615");

  RecordStore store;
  uint32_t folder = store.addFolder("/data/");
  FileEntry facts;
  facts.size = 1234;
  EXPECT_EQ(store.recordText({folder, store.addFile(folder, "notes.txt", facts)}),
            "/data/|notes.txt|000000000001234");
  EXPECT_EQ(store.recordText({folder}), folderRecord("/data/"));
  EXPECT_EQ(folderRecord("").size(), 58u);

  RecordStore other;
  other.addFolder("/more/");
  EXPECT_EQ(store.append(std::move(other)), 1u);
  EXPECT_EQ(store.folderPath({1}), "/more/");
}

TEST(WalkerRecords, FileFactsComeFromTheWalk) {
  TempDir dir;
  std::string path = dir.writeFile("f/facts.txt", "12345");
  TempDir::setMtime(path, 1700000000);
  ASSERT_EQ(chmod(path.c_str(), 0444), 0);
  ScanResult result = scan({location(dir / "f")}, false);
  ASSERT_EQ(result.records.size(), 1u);
  const FileEntry& file = result.store.file(result.records[0]);
  EXPECT_EQ(file.size, 5u);
  EXPECT_EQ(file.mtime, 1700000000);
  EXPECT_EQ(file.attributes & 1, 1);  // read-only
  EXPECT_EQ(file.attributes & 2, 0);  // hidden files are never listed
}

TEST(WalkerOrder, RecordsComeInListingOrderDepthFirst) {
  TempDir dir;
  // Enough folders that both threads read some of them.
  for (int a = 0; a < 6; ++a) {
    for (int b = 0; b < 5; ++b) {
      std::string sub = "f" + std::to_string(a) + "/g" + std::to_string(b);
      dir.writeFile(sub + "/x" + std::to_string(b) + ".txt", std::string(b, 'x'));
      dir.writeFile(sub + "/deeper/y.dat", "yy");
      dir.writeFile("f" + std::to_string(a) + "/file" + std::to_string(b) + ".txt", "z");
    }
    dir.writeFile("top" + std::to_string(a) + ".txt", "top");
  }
  Texts expected;
  expectedWalk(dir.path() + "/", expected);
  ScanResult result = scan({location(dir.path())});
  EXPECT_EQ(test::texts(result), expected);
  ASSERT_EQ(result.totals.size(), 1u);
  EXPECT_EQ(result.totals[0].folders, 6u + 30u + 30u);
  EXPECT_EQ(result.totals[0].files, 6u + 30u + 30u + 30u);
  EXPECT_EQ(result.totals[0].totalSize, 6u * 3 + 30u + 60u + 6u * (0 + 1 + 2 + 3 + 4));
  EXPECT_TRUE(result.failures.empty());

  // The store keeps the folders in walk order too.
  for (uint32_t i = 0, folder = 0; i < result.records.size(); ++i) {
    if (result.records[i].isFolderRecord()) {
      EXPECT_EQ(result.records[i].folder, folder++);
    }
  }

  // The same records with a single reading thread.
  ScanRequest request{{location(dir.path())}, {}, true};
  RunControl control;
  WalkContext context(request.exclusions, true, control);
  context.setThreads(1);
  ScanResult single;
  walkLocation(dir.path(), CurrentLocation{}, context, single);
  EXPECT_EQ(test::texts(single), expected);
}

TEST(WalkerOrder, LocationTextIsKeptAsGiven) {
  TempDir dir;
  dir.writeFile("Sub/a.txt", "a");
  std::string odd = dir.path() + "/./Sub";
  EXPECT_EQ(scanTexts({location(odd)}),
            (Texts{folderRecord(odd + "/"), odd + "/|a.txt|000000000000001"}));
  EXPECT_EQ(scanTexts({location(odd + "/")}),
            (Texts{folderRecord(odd + "/"), odd + "/|a.txt|000000000000001"}));
  // Without folder records the list holds file records only.
  EXPECT_EQ(scanTexts({location(odd)}, false), (Texts{odd + "/|a.txt|000000000000001"}));
  // An empty folder gives its folder record alone.
  std::string empty = dir.makeDir("Empty");
  ScanResult result = scan({location(empty)});
  EXPECT_EQ(test::texts(result), (Texts{folderRecord(empty + "/")}));
  EXPECT_EQ(result.totals[0].files, 0u);
  EXPECT_EQ(result.totals[0].folders, 0u);
}

// One file per folder, so the order does not depend on the listing.
std::string fileRecord(const std::string& folder, const std::string& name, int size) {
  return folder + "|" + name + "|" + formatSizeField(size);
}

TEST(WalkerRules, TypeFilterComparesWholeExtensions) {
  TempDir dir;
  for (std::string name : {"a.MP3", "b.jpg", "x.mp", "y.m", "mp3", "c.mp3.bak", "d.Jpg"}) {
    dir.writeFile("f/" + name, "1");
  }
  std::string folder = dir.path() + "/f";
  auto listed = [&](const std::string& filter) {
    Texts names;
    ScanResult result = scan({location(folder, true, filter)}, false);
    for (RecordRef r : result.records) names.emplace_back(result.store.name(r));
    std::sort(names.begin(), names.end());
    return names;
  };
  EXPECT_EQ(listed(".mp3;.jpg"), (Texts{"a.MP3", "b.jpg", "d.Jpg"}));
  EXPECT_EQ(listed(".mp3"), (Texts{"a.MP3"}));
  EXPECT_EQ(listed("*.bak"), (Texts{"c.mp3.bak"}));
  EXPECT_EQ(listed(".mp"), (Texts{"x.mp"}));
  EXPECT_EQ(listed(".txt"), Texts{});
  Texts all{"a.MP3", "b.jpg", "c.mp3.bak", "d.Jpg", "mp3", "x.mp", "y.m"};
  // "*.*" lists every file, those without a dot too, also among other entries.
  EXPECT_EQ(listed("*.*"), all);
  EXPECT_EQ(listed(".txt;*.*"), all);
}

TEST(WalkerRules, HiddenNamesAndSubFolderSwitch) {
  TempDir dir;
  dir.writeFile(".hidden.txt", "h");
  dir.writeFile("shown.txt", "s");
  dir.writeFile(".config/inside.txt", "i");
  dir.writeFile(".config/.secret", "x");
  std::string root = dir.path() + "/";
  EXPECT_EQ(
      sorted(scanTexts({location(dir.path())})),
      sorted({folderRecord(root), fileRecord(root, "shown.txt", 1), folderRecord(root + ".config/"),
              fileRecord(root + ".config/", "inside.txt", 1)}));

  // Only "Yes" walks sub-folders.
  ScanResult flat = scan({location(dir.path(), false)});
  EXPECT_EQ(test::texts(flat), (Texts{folderRecord(root), fileRecord(root, "shown.txt", 1)}));
  EXPECT_EQ(flat.totals[0].folders, 0u);
}

TEST(WalkerRules, LevelLimitsTheDepth) {
  TempDir dir;
  const std::string r = dir.path() + "/";
  // Level n of the tree: its folder record and its one file.
  const Texts levels[] = {{folderRecord(r), fileRecord(r, "a.txt", 1)},
                          {folderRecord(r + "L1/"), fileRecord(r + "L1/", "b.txt", 2)},
                          {folderRecord(r + "L1/L2/"), fileRecord(r + "L1/L2/", "c.txt", 3)},
                          {folderRecord(r + "L1/L2/L3/"), fileRecord(r + "L1/L2/L3/", "d.txt", 4)}};
  dir.writeFile("a.txt", "1");
  dir.writeFile("L1/b.txt", "22");
  dir.writeFile("L1/L2/c.txt", "333");
  dir.writeFile("L1/L2/L3/d.txt", "4444");
  auto upTo = [&](size_t deepest) {
    Texts texts;
    for (size_t n = 0; n <= deepest; ++n)
      texts.insert(texts.end(), levels[n].begin(), levels[n].end());
    return sorted(texts);
  };
  EXPECT_EQ(sorted(scanTexts({location(dir.path(), true, "*.*", 1)})), upTo(1));
  EXPECT_EQ(sorted(scanTexts({location(dir.path(), true, "*.*", 2)})), upTo(2));
  EXPECT_EQ(sorted(scanTexts({location(dir.path(), true, "*.*", 0)})), upTo(3));
  EXPECT_EQ(sorted(scanTexts({location(dir.path())})), upTo(3));

  // A location's level counts from that location, whatever other rows the
  // list holds: L1/L2 lies one level below L1 even with the outer folder first.
  ScanLocation skippedOuter = location(dir.path(), true, "*.*", 1);
  skippedOuter.scanned = false;
  ScanLocation inner = location(r + "L1", true, "*.*", 1);
  Texts innerAndL2 = levels[1];
  innerAndL2.insert(innerAndL2.end(), levels[2].begin(), levels[2].end());
  EXPECT_EQ(sorted(scanTexts({skippedOuter, inner})), sorted(innerAndL2));
  EXPECT_EQ(sorted(scanTexts({inner, skippedOuter})), sorted(innerAndL2));
}

TEST(WalkerRules, LevelCountsFromTheLocationWalkedWhateverTheOtherRows) {
  TempDir dir;
  dir.writeFile("p/X/top.txt", "t");
  dir.writeFile("p/x/y/z/s1/deep.txt", "d");
  dir.writeFile("p/x/y/z/s1/s2/deeper.txt", "dd");
  const std::string z = dir.path() + "/p/x/y/z";
  const std::string s1 = z + "/s1/";
  auto listsS1 = [&](const std::vector<ScanLocation>& rows) {
    Texts records = scanTexts(rows);
    bool s1Listed = std::count(records.begin(), records.end(), folderRecord(s1)) == 1 &&
                    std::count(records.begin(), records.end(), fileRecord(s1, "deep.txt", 1)) == 1;
    bool s2Left = std::count(records.begin(), records.end(), folderRecord(s1 + "s2/")) == 0;
    return s1Listed && s2Left;
  };
  ScanLocation upper = location(dir.path() + "/p/X", true, "*.*", 1);
  ScanLocation outer = location(dir.path() + "/p/x", true, "*.*", 1);
  ScanLocation deep = location(z, true, "*.*", 1);
  // p/X is another folder than p/x: it does not contain p/x/y/z.
  EXPECT_TRUE(listsS1({upper, deep}));
  EXPECT_TRUE(listsS1({deep, upper}));
  // p/x does contain it, but p/x/y/z's own level counts from p/x/y/z.
  EXPECT_TRUE(listsS1({outer, deep}));
  EXPECT_TRUE(listsS1({deep, outer}));
}

TEST(WalkerRules, ExclusionsApplyToFilesAndFolders) {
  TempDir dir;
  dir.writeFile("keep.txt", "k");
  dir.writeFile("Skip.Me", "s");
  dir.writeFile("temp.TMP", "t");
  dir.writeFile("Makefile", "m");
  dir.writeFile("README", "r");
  dir.writeFile("Excluded/own.txt", "o");
  dir.writeFile("Excluded/Inner/deep.txt", "d");
  std::string r = dir.path() + "/";
  ExclusionLists lists;
  lists.fileNames = {"skip.me", "makefile"};
  lists.extensions = {"*.tmp"};
  lists.folders = {dir.path() + "/excluded"};
  // The excluded folder is walked; only its own files are dropped.
  EXPECT_EQ(sorted(scanTexts({location(dir.path())}, true, lists)),
            sorted({folderRecord(r), fileRecord(r, "keep.txt", 1), fileRecord(r, "README", 1),
                    folderRecord(r + "Excluded/"), folderRecord(r + "Excluded/Inner/"),
                    fileRecord(r + "Excluded/Inner/", "deep.txt", 1)}));
  // With "Include Sub Folders" on, it is not walked at all.
  lists.skipExcludedFolderTrees = true;
  EXPECT_EQ(sorted(scanTexts({location(dir.path())}, true, lists)),
            sorted({folderRecord(r), fileRecord(r, "keep.txt", 1), fileRecord(r, "README", 1)}));
  // Excluding the location itself drops its files but not its folder record.
  lists.folders = {dir.path()};
  EXPECT_EQ(sorted(scanTexts({location(dir.path(), false)}, true, lists)),
            sorted({folderRecord(r)}));
}

}  // namespace
}  // namespace tallyfold
