// The scan run: which rows are walked and how, level texts, cancel, the status
// texts and the elapsed-time format.
#include "scan/scan_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>

#include "support/temp_dir.h"
#include "tests/scan/walker_test_util.h"

namespace tallyfold {
namespace {

using test::folderRecord;
using test::location;
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

TEST(ScanRunLevels, AnUnreadableLevelNamesTheRowAndTheOthersAreWalked) {
  TempDir dir;
  dir.writeFile("a.txt", "a");
  ScanLocation bad = location("/x");
  bad.unreadableLevel = "abc";
  ScanRequest request{{bad, location(dir.path())}, {}, true};
  RunControl control;
  ScanResult result = runScan(request, control);
  ASSERT_EQ(result.failures.size(), 1u);
  EXPECT_EQ(result.failures[0].path, "/x");
  EXPECT_EQ(result.failures[0].problem, "its level \"abc\" is not a whole number");
  EXPECT_EQ(test::texts(result),
            (Texts{folderRecord(dir.path() + "/"), dir.path() + "/|a.txt|000000000000001"}));
  // A row that is not scanned is not named either.
  request.locations[0].scanned = false;
  EXPECT_TRUE(runScan(request, control).failures.empty());
}

TEST(ScanRunRows, RowsMarkedFourAreSkippedAndOthersWalkedInOrder) {
  TempDir dir;
  dir.writeFile("one/a.txt", "a");
  dir.writeFile("two/b.txt", "bb");
  dir.writeFile("three/c.txt", "ccc");
  std::vector<ScanLocation> rows{location(dir / "two"), location(dir / "one"),
                                 location(dir / "three")};
  rows[2].scanned = false;
  ScanResult result = test::scan(rows);
  EXPECT_EQ(test::texts(result),
            (Texts{folderRecord(dir / "two/"), dir / "two/|b.txt|000000000000002",
                   folderRecord(dir / "one/"), dir / "one/|a.txt|000000000000001"}));
  ASSERT_EQ(result.totals.size(), 2u);
  EXPECT_EQ(result.totals[0].totalSize, 2u);
  EXPECT_EQ(result.totals[1].files, 1u);
  EXPECT_FALSE(result.cancelled);

  for (auto& row : rows) row.scanned = false;
  result = test::scan(rows);
  EXPECT_TRUE(result.records.empty());
  EXPECT_TRUE(result.totals.empty());

  // A row without a folder is a failure, not a walk of "/".
  result = test::scan({location("")});
  EXPECT_TRUE(result.records.empty());
  ASSERT_EQ(result.failures.size(), 1u);
  EXPECT_EQ(result.failures[0].error, ENOENT);
}

TEST(ScanRunCancel, LaterLocationsStillGetTheirFolderRecord) {
  TempDir dir;
  for (int i = 0; i < 40; ++i) {
    dir.writeFile("big/sub" + std::to_string(i) + "/f.txt", "f");
    dir.writeFile("big/file" + std::to_string(i) + ".txt", "g");
  }
  dir.writeFile("later/x.txt", "x");
  std::vector<ScanLocation> rows{location(dir / "big"), location(dir / "later")};
  ScanRequest request{rows, {}, true};

  // Cancelled before the start: folder records only, nothing else.
  RunControl cancelled;
  cancelled.requestCancel();
  EXPECT_EQ(test::texts(runScan(request, cancelled)),
            (Texts{folderRecord(dir / "big/"), folderRecord(dir / "later/")}));
  request.folderRecords = false;
  EXPECT_TRUE(runScan(request, cancelled).records.empty());
}

TEST(ScanRunStatus, ScanningTextsAndCounts) {
  TempDir dir;
  for (int i = 0; i < 30; ++i) {
    dir.writeFile(numbered("d", i) + "/f.txt", "f");
    dir.writeFile(numbered("d", i) + "/g.txt", "g");
    dir.writeFile(numbered("file", i) + ".txt", "g");
  }
  ScanRequest request{{location(dir.path())}, {}, false};
  RunControl control;
  EXPECT_EQ(control.statusText(), "");
  ScanResult result = runScan(request, control);
  EXPECT_EQ(result.records.size(), 90u);
  // Every entry counts, "." and ".." included: 62 in the location, 4 in each
  // of its 30 folders.
  EXPECT_EQ(control.entriesScanned(), 62u + 30u * 4u);
  EXPECT_EQ(control.foldersScanned(), 31u);
  const std::string text = control.statusText();
  EXPECT_TRUE(text.starts_with("Scanning... " + dir / "d")) << text;
  EXPECT_TRUE(text.ends_with("/")) << text;
}

TEST(ScanRunStatus, TextsOfTheLaterPhases) {
  RunControl control;
  control.enterPhase(RunPhase::Sorting);
  EXPECT_EQ(control.statusText(), "Initializing format engine, please wait...");
  control.startFormatting(FormattingCount::None, 10);
  EXPECT_EQ(control.statusText(), "please wait...");
  // The detailed list counts files in steps of five, with the share of the
  // records in the locale's decimal form.
  control.startFormatting(FormattingCount::Files, 8, ",");
  control.setFormatted(4);
  EXPECT_EQ(control.statusText(), "please wait...");
  control.setFormatted(7);
  EXPECT_EQ(control.statusText(), "Formatting list, please wait...(5/8) 62,5%");
  // The other reports count records in steps of fifty.
  control.startFormatting(FormattingCount::Records, 121);
  control.setFormatted(120);
  EXPECT_EQ(control.statusText(), "Formating list. please wait... 100 / 121");
  control.enterPhase(RunPhase::Finished);
  EXPECT_EQ(control.statusText(), "Ready");
}

TEST(ScanRunStatus, CancelEndsThePhaseAndStopEndsTheRun) {
  RunControl control;
  control.enterPhase(RunPhase::Scanning);
  control.requestCancel();
  EXPECT_TRUE(control.cancelRequested());
  // The records a cancelled walk found are still reported.
  control.finishWalk();
  EXPECT_FALSE(control.cancelRequested());
  control.enterPhase(RunPhase::Finished);
  EXPECT_EQ(control.statusText(), "Scan Terminated.");

  RunControl stopped;
  stopped.requestStop();
  stopped.finishWalk();
  EXPECT_TRUE(stopped.cancelRequested());
  EXPECT_TRUE(stopped.stopRequested());
}

}  // namespace
}  // namespace tallyfold
