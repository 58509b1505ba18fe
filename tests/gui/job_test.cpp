// New, Open and Save Job through the window and its file dialogs.

#include <gtest/gtest.h>

#include <QLabel>
#include <QPlainTextEdit>
#include <QTreeWidget>

#include "app/job.h"
#include "gui/main_window.h"
#include "gui_fixture.h"

namespace tallyfold::test {
namespace {

class JobTest : public GuiTest {};

TEST_F(JobTest, SaveOpenAndNewJobRoundTrip) {
  gui::MainWindow window;
  window.startUp();
  Job job = window.currentJob();
  job.reportType = ReportType::FolderList;
  job.sort = "Size";
  job.ascending = false;
  job.fontName = "DejaVu Sans Mono";
  for (const char* name : {"x", "y", "z"}) {
    ScanLocation location;
    location.folder = root / name;
    location.fileTypes = ".mp3;.jpg";
    location.level = 2;
    job.locations.push_back(location);
  }
  window.applyJob(job);

  // Cancelling the dialog writes nothing; a name without extension gets .dif.
  window.action("mnuSave")->trigger();
  dialogs.saveFiles = {QString::fromStdString(root / "saved")};
  window.action("mnuSave")->trigger();
  EXPECT_EQ(readFile(root / "saved.dif"), jobFileText(job));

  window.action("mnuNew")->trigger();
  EXPECT_EQ(child<QTreeWidget>(&window, "SearchList")->topLevelItemCount(), 0);
  EXPECT_TRUE(child<QPlainTextEdit>(&window, "rTxt")->toPlainText().isEmpty());
  EXPECT_EQ(child<QLabel>(&window, "Panel1")->text(),
            "Add search path and click on the scan button to start search.");

  dialogs.openFiles = {QString::fromStdString(root / "saved.dif")};
  window.action("mnuOpen")->trigger();
  EXPECT_EQ(jobFileText(window.currentJob()), jobFileText(job));
  EXPECT_TRUE(dialogs.messages.empty());

  // A save that fails is told, and the job stays on screen.
  root.makeDir("locked.dif/inside");
  dialogs.saveFiles = {QString::fromStdString(root / "locked.dif")};
  window.action("mnuSave")->trigger();
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].title, "Error");
  EXPECT_TRUE(dialogs.messages[0].text.contains("locked.dif"));
  EXPECT_EQ(window.currentJob().locations.size(), 3u);
}

}  // namespace
}  // namespace tallyfold::test
