// The scan run: which rows are walked and how, level texts, cancel, the status
// texts and the elapsed-time format.
#include "scan/scan_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>

#include "support/temp_dir.h"
#include "tests/scan/walker_test_util.h"

namespace tallyfold {
namespace {

using test::folderRecord;
using test::location;
using test::RecordingStatus;
using test::TempDir;
using Texts = std::vector<std::string>;

// prefix followed by the number (built by appending: GCC 12 warns wrongly
// about a literal added in front of a temporary string).
std::string numbered(std::string_view prefix, int i) {
  std::string text(prefix);
  text += std::to_string(i);
  return text;
}

TEST(ScanRunTime, FormatSecondsAndElapsed) {
  const std::pair<int64_t, std::string_view> cases[] = {
      {0, "00:00:00"},    {59, "00:00:59"},
      {60, "00:01:00"},   {3599, "00:59:59"},
      {3600, "1:0:00"},   {3725, "1:2:05"},
      {36000, "10:0:00"}, {100 * 3600 + 11 * 60 + 1, "100:11:01"}};
  for (const auto& [seconds, text] : cases) EXPECT_EQ(formatSeconds(seconds), text) << seconds;
  ElapsedTimer timer;
  EXPECT_EQ(timer.elapsedText(), "00:00:00");
}

TEST(ScanRunLevels, LevelTexts) {
  const std::pair<std::string_view, int> good[] = {
      {"All Levels", 0}, {"", 0}, {"3", 3}, {"32767", 32767}, {"-1", -1}};
  for (const auto& [text, expected] : good) {
    int level = -5;
    EXPECT_TRUE(parseLevel(text, level)) << text;
    EXPECT_EQ(level, expected) << text;
  }
  int level = 0;
  for (std::string bad : {"abc", "all levels", "1.5", "32768", "3x", "-", "+"}) {
    EXPECT_FALSE(parseLevel(bad, level)) << bad;
  }
}

TEST(ScanRunLevels, BadLevelStopsTheRunBeforeAnyWalk) {
  TempDir dir;
  dir.writeFile("a.txt", "a");
  ScanRequest request{{location(dir.path()), location("/x", "Yes", "*.*", "abc")}, {}, true};
  CancelFlag cancel{false};
  RecordingStatus status;
  try {
    runScan(request, cancel, status);
    FAIL() << "no error for level abc";
  } catch (const std::invalid_argument& error) {
    EXPECT_STREQ(error.what(), "Level \"abc\" of /x is not a whole number");
  }
  EXPECT_EQ(status.progressCalls, 0u);
  // A row that is not scanned is not checked either.
  request.locations[1].smallIcon = "4";
  EXPECT_EQ(runScan(request, cancel, status).totals.size(), 1u);
}

TEST(ScanRunRows, RowsMarkedFourAreSkippedAndOthersWalkedInOrder) {
  TempDir dir;
  dir.writeFile("one/a.txt", "a");
  dir.writeFile("two/b.txt", "bb");
  dir.writeFile("three/c.txt", "ccc");
  std::vector<ScanLocation> rows{location(dir / "two"), location(dir / "one"),
                                 location(dir / "three")};
  rows[2].smallIcon = "4.0";
  ScanResult result = test::scan(rows);
  EXPECT_EQ(test::texts(result),
            (Texts{folderRecord(dir / "two/"), dir / "two/|b.txt|000000000000002",
                   folderRecord(dir / "one/"), dir / "one/|a.txt|000000000000001"}));
  ASSERT_EQ(result.totals.size(), 2u);
  EXPECT_EQ(result.totals[0].totalSize, 2u);
  EXPECT_EQ(result.totals[1].files, 1u);
  EXPECT_FALSE(result.cancelled);

  for (auto& row : rows) row.smallIcon = " 4";
  result = test::scan(rows);
  EXPECT_TRUE(result.records.empty());
  EXPECT_TRUE(result.totals.empty());

  // A row without a folder is a failure, not a walk of "/".
  result = test::scan({location("")});
  EXPECT_TRUE(result.records.empty());
  ASSERT_EQ(result.failures.size(), 1u);
  EXPECT_EQ(result.failures[0].error, ENOENT);
}

// Sets the cancel flag the first time the walk reports progress.
class CancellingStatus : public RecordingStatus {
 public:
  explicit CancellingStatus(CancelFlag& flag) : flag_(flag) {}
  void showProgress(uint64_t entries, uint64_t folders) override {
    RecordingStatus::showProgress(entries, folders);
    flag_ = true;
  }

 private:
  CancelFlag& flag_;
};

TEST(ScanRunCancel, CancelKeepsWhatWasReadAndLaterLocationsGetTheirFolderRecord) {
  TempDir dir;
  for (int i = 0; i < 40; ++i) {
    dir.writeFile("big/sub" + std::to_string(i) + "/f.txt", "f");
    dir.writeFile("big/file" + std::to_string(i) + ".txt", "g");
  }
  dir.writeFile("later/x.txt", "x");
  std::vector<ScanLocation> rows{location(dir / "big"), location(dir / "later")};
  Texts full = test::scanTexts(rows);

  ScanRequest request{rows, {}, true};
  CancelFlag cancel{false};
  CancellingStatus status(cancel);
  ScanResult result = runScan(request, cancel, status);
  EXPECT_TRUE(result.cancelled);
  Texts got = test::texts(result);
  ASSERT_GE(got.size(), 2u);
  EXPECT_LT(got.size(), full.size());
  EXPECT_EQ(got.front(), folderRecord(dir / "big/"));
  EXPECT_EQ(got.back(), folderRecord(dir / "later/"));
  for (const std::string& text : got) {
    EXPECT_NE(std::find(full.begin(), full.end(), text), full.end()) << text;
  }

  // Cancelled before the start: folder records only, nothing else.
  cancel = true;
  RecordingStatus quiet;
  EXPECT_EQ(test::texts(runScan(request, cancel, quiet)),
            (Texts{folderRecord(dir / "big/"), folderRecord(dir / "later/")}));
  request.folderRecords = false;
  EXPECT_TRUE(runScan(request, cancel, quiet).records.empty());
}

TEST(ScanRunStatus, ScanningTextsAndCounts) {
  TempDir dir;
  for (int i = 0; i < 30; ++i) {
    dir.writeFile(numbered("d", i) + "/f.txt", "f");
    dir.writeFile(numbered("d", i) + "/g.txt", "g");
    dir.writeFile(numbered("file", i) + ".txt", "g");
  }
  ScanRequest request{{location(dir.path())}, {}, false};
  CancelFlag cancel{false};
  RecordingStatus status;
  ScanResult result = runScan(request, cancel, status);
  EXPECT_EQ(result.records.size(), 90u);
  // Every entry counts, "." and ".." included: 62 in the location, 4 in each
  // of its 30 folders.
  EXPECT_EQ(status.lastEntries, 62u + 30u * 4u);
  EXPECT_EQ(status.lastFolders, 31u);
  ASSERT_FALSE(status.texts.empty());
  const std::string prefix = "Scanning... " + dir / "d";
  EXPECT_LE(status.texts.size(), 4u);
  for (const std::string& text : status.texts) {
    EXPECT_TRUE(text.starts_with(prefix)) << text;
    EXPECT_TRUE(text.ends_with("/")) << text;
  }
}

}  // namespace
}  // namespace tallyfold
