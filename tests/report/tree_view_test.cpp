#include "report/tree_view.h"

#include <gtest/gtest.h>

#include "listing_fixture.h"
#include "report/listing_text.h"
#include "support/temp_dir.h"

namespace tallyfold {
namespace {

using test::blanks;
using test::kDefaultHeader;
using test::TempDir;
using Lines = std::vector<std::string>;

constexpr RecordRef folderRecord(uint32_t folder) {
  return {folder, RecordRef::kFolderRecord};
}

class TreeViewTest : public ::testing::Test {
 protected:
  void SetUp() override { test::useUtc(); }

  // A folder and its real files, in the order given; the folder record
  // first unless the files are listed before it.
  uint32_t folder(const std::string& relative, const std::vector<std::string>& names = {}) {
    std::string path = relative.empty() ? dir.path() + "/" : dir / (relative + "/");
    dir.makeDir(relative);
    return test::addRealFolder(report.store, report.records, path, names, true);
  }

  void addFile(uint32_t folder, const std::string& name, uint64_t size = 0) {
    std::string path = std::string(report.store.folderPath({folder})) + name;
    dir.makeSizedFile(path.substr(dir.path().size() + 1), size);
    uint32_t index = report.store.addFile(folder, name, test::entryOf(path));
    report.records.push_back(RecordRef{folder, index});
  }

  // A tree of one location, drawn with folder names only.
  void plainTree(const std::string& location) {
    report.options.type = ReportType::Tree;
    report.options.locationFolders = {location};
    report.settings.fullPath = 0;
  }

  TempDir dir;
  test::ReportRun report;
};

TEST_F(TreeViewTest, TreeWithSizesFullPathUpperCaseAndSummary) {
  uint32_t data = folder("data");
  addFile(data, "a.txt", 1234);
  uint32_t sub = folder("data/Sub");
  addFile(sub, "b.txt", 5000);
  report.options.type = ReportType::TreeWithSize;
  report.options.locationFolders = {dir / "data"};
  report.settings.listInUpper = 1;
  report.settings.includeFullSum = 1;
  const std::string data_path = test::asciiUpper(dir / "data");

  // The size text ends at column 54 + 12 whatever the line's length.
  EXPECT_EQ(report.run(), (Lines{
                              kDefaultHeader,
                              "|-- " + data_path + " \\par ",
                              "|  |-- A.TXT" + blanks(42 + 8) + "1 KB \\par ",
                              "|  \\par ",
                              "|  |-- " + data_path + "/SUB \\par ",
                              "|  |  |-- B.TXT" + blanks(39 + 8) + "5 KB \\par ",
                              "\\par\\b Total Summary: \\b0",
                              "\\par 2 file(s) found in 2 folder(s) \\par ",
                              "Total file size 6.09 KB \\par ",
                              " \\par\\par\\par}",
                          }));
  EXPECT_EQ(report.counters.files, 2u);
  EXPECT_EQ(report.counters.folders, 2u);
  EXPECT_EQ(report.counters.totalSize, 6234.0);
}

TEST_F(TreeViewTest, EarlyNamesEmptyFoldersOddNamesAndCutLines) {
  RecordStore& store = report.store;
  std::vector<RecordRef>& records = report.records;
  // "!first.txt" sorts before its folder's record: it is still one file line.
  dir.writeFile("data/!first.txt");
  uint32_t data = store.addFolder(dir / "data/");
  records.push_back(
      RecordRef{data, store.addFile(data, "!first.txt", test::entryOf(dir / "data/!first.txt"))});
  records.push_back(folderRecord(data));
  addFile(data, "a.txt");
  addFile(data, "Caf\xC3\xA9.txt");
  addFile(data, "new\nline.txt");
  folder("data/Empty");
  uint32_t sub = folder("data/Sub");
  const std::string longName = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMN.txt";
  addFile(sub, longName);
  plainTree(dir / "data");

  EXPECT_EQ(report.run(), (Lines{
                              kDefaultHeader,
                              "|-- data\\par ",
                              "|  |-- !first.txt\\par ",
                              "|  |-- a.txt\\par ",
                              "|  |-- Caf\\u233?.txt\\par ",
                              "|  |-- new line.txt\\par ",
                              "|  \\par ",
                              "|  |-- Empty\\par ",
                              "|  \\par ",
                              "|  |-- Sub\\par ",
                              "|  |  |-- " + longName.substr(0, 41) + "...\\par ",
                              " \\par\\par\\par}",
                          }));
  EXPECT_EQ(report.counters.files, 5u);
  EXPECT_EQ(report.counters.folders, 3u);
}

TEST_F(TreeViewTest, TreesDeeperThanThirtyLevels) {
  folder("");
  std::string relative;
  for (int level = 1; level <= 35; ++level) {
    relative += (level > 1 ? "/l" : "l") + std::to_string(level);
    uint32_t index = folder(relative);
    if (level == 35) addFile(index, "deep.txt");
  }
  plainTree(dir.path());
  report.settings.colSize = "200";

  auto bars = [](int count) {
    std::string text;
    while (count-- > 0) text += "|  ";
    return text;
  };
  Lines expected{kDefaultHeader};
  for (int depth = 1; depth <= 36; ++depth) {
    std::string name =
        depth == 1 ? std::string(lastPathComponent(dir.path())) : "l" + std::to_string(depth - 1);
    if (depth > 1) expected.push_back(bars(depth - 1) + "\\par ");
    expected.push_back(bars(depth - 1) + "|-- " + name + "\\par ");
  }
  expected.push_back(bars(36) + "|-- deep.txt\\par ");
  expected.push_back(" \\par\\par\\par}");
  EXPECT_EQ(report.run(), expected);
  EXPECT_EQ(report.counters.folders, 36u);
}

TEST_F(TreeViewTest, RootLocationDrawsItsSubFoldersOneLevelDeeper) {
  RecordStore& store = report.store;
  report.records = {folderRecord(store.addFolder("/")), folderRecord(store.addFolder("/usr/")),
                    folderRecord(store.addFolder("/usr/lib/"))};
  report.options.type = ReportType::Tree;
  report.options.locationFolders = {"/"};
  EXPECT_EQ(report.run(), (Lines{
                              kDefaultHeader,
                              "|-- /\\par ",
                              "|  \\par ",
                              "|  |-- /usr\\par ",
                              "|  |  \\par ",
                              "|  |  |-- /usr/lib\\par ",
                              " \\par\\par\\par}",
                          }));
}

TEST_F(TreeViewTest, ProgressEveryFiftyRecords) {
  RecordStore& store = report.store;
  uint32_t index = store.addFolder("/data/");
  report.records.push_back(folderRecord(index));
  for (int i = 0; i < 120; ++i) {
    report.records.push_back(RecordRef{index, store.addFile(index, "f" + std::to_string(i), {})});
  }
  report.options.type = ReportType::TreeWithSize;
  report.run();
  // The count is shown in steps of fifty records.
  EXPECT_EQ(report.control.statusText(), "Formating list. please wait... 100 / 121");
  EXPECT_EQ(report.counters.files, 120u);
}

TEST(TreeDepth, CountsFromTheLocationThatContainsTheFolder) {
  const std::vector<std::string> data{"/data"};
  EXPECT_EQ(treeDepth("/data", data), 1);
  EXPECT_EQ(treeDepth("/data/A", data), 2);
  EXPECT_EQ(treeDepth("/data/A", {"/data/"}), 2);
  // A location contains a folder only up to a "/": /data is no part of
  // /database, so the second location decides.
  EXPECT_EQ(treeDepth("/database/deep/loc/x", {"/data", "/database/deep/loc"}), 2);
  // Letter case counts; a folder under no location counts from the root.
  EXPECT_EQ(treeDepth("/Data/x", data), 3);
  EXPECT_EQ(treeDepth("/Data/x", {"/data", "/Data"}), 2);
  EXPECT_EQ(treeDepth("/x/y", {}), 3);
  // The first containing location in list order wins.
  EXPECT_EQ(treeDepth("/a/b/c", {"/a", "/a/b"}), 3);
  // The root as a location: "/" itself is depth 1, its sub-folders 2.
  EXPECT_EQ(treeDepth("/", {"/"}), 1);
  EXPECT_EQ(treeDepth("/usr", {"/"}), 2);
  EXPECT_EQ(treeDepth("/usr/lib", {"/"}), 3);
}

}  // namespace
}  // namespace tallyfold
