#pragma once
// A window test over a small tree of four files in three folders, and the
// job that lists it in a chosen report type.

#include "app/job.h"
#include "gui_fixture.h"

namespace tallyfold::test {

class TreeTest : public GuiTest {
 protected:
  void makeTree() {
    root.writeFile("tree/a.txt", "alpha");
    root.writeFile("tree/b.mp3", "bee");
    root.writeFile("tree/sub/c.txt", "see");
    root.writeFile("tree/sub/deeper/d.txt", "dee");
  }
  Job jobOf(ReportType type) const {
    Job job;
    job.reportType = type;
    ScanLocation location;
    location.folder = root / "tree";
    job.locations.push_back(location);
    return job;
  }
};

}  // namespace tallyfold::test
