#include "report/folder_list.h"

#include <gtest/gtest.h>

#include "listing_fixture.h"
#include "support/temp_dir.h"

namespace tallyfold {
namespace {

using test::kDefaultHeader;
using test::TempDir;
using Lines = std::vector<std::string>;

class FolderListTest : public ::testing::Test {
 protected:
  void SetUp() override { report.options.type = ReportType::FolderList; }

  uint32_t folder(const std::string& relative, const std::vector<std::string>& names = {}) {
    for (const std::string& name : names) dir.writeFile(relative + "/" + name, "x");
    dir.makeDir(relative);
    return test::addRealFolder(report.store, report.records, dir / (relative + "/"), names, true);
  }

  TempDir dir;
  test::ReportRun report;
};

TEST_F(FolderListTest, OneLinePerFolderEscapedAndFoldedNeverCutAndNoFiles) {
  folder("Caf\xC3\xA9 {x}", {"a.txt", "b.txt"});
  folder(std::string(120, 'n'), {"c.txt"});
  report.settings.listInUpper = report.settings.includeFullSum = 1;
  report.settings.fullPath = 0;  // plays no part here
  const std::string upper = test::asciiUpper(dir.path());
  EXPECT_EQ(report.run(), (Lines{
                              kDefaultHeader,
                              upper + "/CAF\\u201? \\{X\\}\\par",
                              "",
                              upper + "/" + std::string(120, 'N') + "\\par",
                              "",
                              "\\par\\b Total Summary: \\b0",
                              "",
                              "\\par 2 folder(s) found \\par ",
                              " \\par\\par\\par}",
                          }));
  EXPECT_EQ(report.counters.folders, 2u);
  EXPECT_EQ(report.counters.files, 0u);
  EXPECT_EQ(report.counters.totalSize, 0.0);
}

TEST_F(FolderListTest, NoRecordsGiveHeaderSummaryAndClosingLine) {
  report.settings.includeFullSum = 1;
  EXPECT_EQ(report.run(), (Lines{
                              kDefaultHeader,
                              "\\par\\b Total Summary: \\b0",
                              "",
                              "\\par 0 folder(s) found \\par ",
                              " \\par\\par\\par}",
                          }));
}

TEST_F(FolderListTest, RootFolderKeepsItsSlashAndProgressEveryFiftyRecords) {
  RecordStore& store = report.store;
  uint32_t root = store.addFolder("/");
  report.records.push_back(RecordRef{root, RecordRef::kFolderRecord});
  for (int i = 0; i < 99; ++i) {
    report.records.push_back(RecordRef{root, store.addFile(root, "f" + std::to_string(i), {})});
  }
  report.run();
  EXPECT_EQ(report.sink.lines, (Lines{kDefaultHeader, "/\\par", "", " \\par\\par\\par}"}));
  EXPECT_EQ(report.control.statusText(), "Formating list. please wait... 100 / 100");
}

}  // namespace
}  // namespace tallyfold
