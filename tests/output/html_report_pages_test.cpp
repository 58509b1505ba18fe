// The page of every report type, made from what the real generators write:
// each name shows whole, and no control word of the report is left as text.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "output/html_export.h"
#include "output/html_text.h"
#include "report/listing_fixture.h"
#include "support/temp_dir.h"

namespace tallyfold {
namespace {

using test::TempDir;

class HtmlReportPages : public ::testing::Test {
 protected:
  void SetUp() override {
    test::useUtc();
    // A file whose name starts like a separator, a folder that ends in a
    // blank, and names whose last letter a fixed cut would take.
    music = dir / "music";
    for (const char* name : {"------ notes.txt", "song.mp3"})
      dir.writeFile(std::string("music/") + name, "x");
    dir.writeFile("music/b /tune.ogg", "xy");
    test::addRealFolder(report.store, report.records, music + "/", {"------ notes.txt", "song.mp3"},
                        true);
    test::addRealFolder(report.store, report.records, music + "/b /", {"tune.ogg"}, true);
    report.options.locationFolders = {music};
    report.settings.includeFullSum = 1;
  }

  // The page lines (without the head) of the report of the given type.
  std::vector<std::string> pageOf(ReportType type) {
    report.options.type = type;
    std::string file;
    for (const std::string& line : report.run()) file += line + "\r\n";
    const std::string reportPath = dir.writeFile("tmpfile.dmp", file);
    EXPECT_TRUE(exportHtml(reportPath, dir / "list.html", "Courier New", "10"));
    std::vector<std::string> lines;
    const std::string page = test::readFile(dir / "list.html");
    for (size_t start = 0, end; (end = page.find("\r\n", start)) != std::string::npos;
         start = end + 2) {
      lines.push_back(page.substr(start, end - start));
    }
    const size_t headLines = htmlHeadLines("Courier New", "10").size();
    EXPECT_GT(lines.size(), headLines);
    lines.erase(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(headLines));
    return lines;
  }

  // True when some page line holds the text.
  static bool shows(const std::vector<std::string>& page, const std::string& text) {
    for (const std::string& line : page) {
      if (line.find(text) != std::string::npos) return true;
    }
    return false;
  }

  static void expectNoControlWords(const std::vector<std::string>& page) {
    for (const std::string& line : page) {
      EXPECT_EQ(line.find("\\par"), std::string::npos) << line;
      EXPECT_EQ(line.find("\\b0"), std::string::npos) << line;
    }
  }

  TempDir dir;
  std::string music;
  test::ReportRun report;
};

TEST_F(HtmlReportPages, EveryReportTypeShowsEachNameWhole) {
  const std::string notes = toHtmlText("------ notes.txt"), song = toHtmlText("song.mp3");
  const std::string tune = toHtmlText("tune.ogg");
  {
    SCOPED_TRACE("detailed list");
    const std::vector<std::string> page = pageOf(ReportType::Details);
    expectNoControlWords(page);
    EXPECT_TRUE(
        shows(page, "<div class='dir'>" + toHtmlText("Directory of " + music + " ") + "</div>"));
    EXPECT_TRUE(
        shows(page, "<div class='dir'>" + toHtmlText("Directory of " + music + "/b  ") + "</div>"));
    for (const std::string& name : {notes, song, tune}) {
      EXPECT_TRUE(shows(page, name + "&nbsp;")) << name;
    }
  }
  for (ReportType type : {ReportType::Tree, ReportType::TreeWithSize}) {
    SCOPED_TRACE(static_cast<int>(type));
    const std::vector<std::string> page = pageOf(type);
    expectNoControlWords(page);
    const std::string end = type == ReportType::Tree ? "<br>" : "";
    EXPECT_TRUE(shows(page, toHtmlText(music) + end));
    EXPECT_TRUE(shows(page, toHtmlText(music + "/b ") + end));
    for (const std::string& name : {notes, song, tune}) {
      EXPECT_TRUE(shows(page, name + end)) << name;
    }
  }
  {
    SCOPED_TRACE("folder list");
    const std::vector<std::string> page = pageOf(ReportType::FolderList);
    expectNoControlWords(page);
    EXPECT_EQ(page, (std::vector<std::string>{
                        toHtmlText(music) + "<br>", "<br>", toHtmlText(music + "/b ") + "<br>",
                        "<br>", "<br><b>Total Summary:</b><br>", "<br>",
                        toHtmlText("2 folder(s) found ") + "<br>", "</body></html>"}));
  }
}

}  // namespace
}  // namespace tallyfold
