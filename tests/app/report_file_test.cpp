// The run pipeline from a real walked tree to the report file in the
// application folder: written whole, replaced only by a complete new report.

#include <gtest/gtest.h>

#include "app/report_file.h"
#include "support/environment.h"
#include "support/temp_dir.h"

namespace tallyfold {
namespace {

RunSettings folderListOf(const std::string& folder) {
  RunSettings run;
  run.job.reportType = ReportType::FolderList;
  ScanLocation location;
  location.folder = folder;
  run.job.locations = {location};
  return run;
}

TEST(ReportFile, AWalkedTreeGoesThroughThePipelineIntoTmpfileDmp) {
  test::TempDir home;
  test::EnvironmentValue appHome("TALLYFOLD_HOME", home / "app");
  home.writeFile("music/b/song.mp3", "x");
  home.writeFile("music/a/notes.txt", "y");
  const RunSettings run = folderListOf(home / "music");
  RunControl control;
  RunOutcome outcome;
  std::string error;

  ASSERT_TRUE(runJobIntoReportFile(run, control, outcome, error)) << error;
  EXPECT_EQ(reportFilePath(), home / "app/tmpfile.dmp");
  const std::string text = test::readFile(reportFilePath());
  const std::string music = home / "music";
  EXPECT_NE(text.find("\r\n" + music + "\\par\r\n\r\n" + music + "/a\\par\r\n\r\n" + music +
                      "/b\\par\r\n\r\n \\par\\par\\par}\r\n"),
            std::string::npos)
      << text;
  EXPECT_EQ(outcome.counters.folders, 3u);
  EXPECT_FALSE(outcome.cancelled);
  EXPECT_EQ(control.statusText(), "Ready");

  // A stopped run leaves the earlier report as it was.
  RunControl stopped;
  stopped.requestStop();
  ASSERT_TRUE(runJobIntoReportFile(run, stopped, outcome, error));
  EXPECT_EQ(test::readFile(reportFilePath()), text);
  EXPECT_EQ(stopped.statusText(), "Scan Terminated.");

  // A folder that cannot hold the file: the call says so.
  test::EnvironmentValue blocked("TALLYFOLD_HOME", home / "app/tmpfile.dmp/below");
  EXPECT_FALSE(runJobIntoReportFile(run, control, outcome, error));
  EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace tallyfold
