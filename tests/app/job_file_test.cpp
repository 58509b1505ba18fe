#include <gtest/gtest.h>

#include "app/job.h"
#include "support/temp_dir.h"

namespace tallyfold {
namespace {

using test::readFile;
using test::TempDir;

ScanLocation row(std::string folder, bool subFolders, std::string types, int level,
                 bool scanned = true) {
  ScanLocation location;
  location.folder = std::move(folder);
  location.subFolders = subFolders;
  location.fileTypes = std::move(types);
  location.level = level;
  location.scanned = scanned;
  return location;
}

Job threeRowJob() {
  Job job;
  job.reportType = ReportType::TreeWithSize;
  job.sort = "Size";
  job.ascending = false;
  job.fontName = "DejaVu Sans Mono";
  job.fontSize = "12";
  job.locations = {row("/home/ann/Music", true, ".mp3;.wma", 2), row("/srv/data", false, "*.*", 0),
                   row("/home/ann/Photos", true, ".jpg", 0, false)};
  return job;
}

// Every field of the rows, each ended by "|": unlike the file's commas they
// show where a folder with commas was cut.
std::string rowsText(const std::vector<ScanLocation>& rows) {
  std::string text;
  for (const ScanLocation& r : rows) {
    text += r.folder + "|" + (r.subFolders ? "sub" : "flat") + "|" + r.fileTypes + "|" +
            std::to_string(r.level) + r.unreadableLevel + "|" + (r.scanned ? "scan" : "skip") +
            "|\n";
  }
  return text;
}

TEST(JobFile, TextByteForByte) {
  EXPECT_EQ(jobFileText(threeRowJob()),
            "Option3\r\nSize\r\nDesc\r\nDejaVu Sans Mono\r\n12\r\n"
            "/home/ann/Music,Yes,.mp3;.wma,2,3\r\n"
            "/srv/data,No,*.*,,3\r\n"
            "/home/ann/Photos,Yes,.jpg,All Levels,4\r\n");
  EXPECT_EQ(jobFileText(Job{}), "Option1\r\nName\r\nAsc\r\ncourier new\r\n10\r\n\r\n");
}

TEST(JobFile, SaveThenLoadGivesTheSameJob) {
  TempDir dir;
  const std::string path = dir / "music.dif";
  for (const Job& saved : {threeRowJob(), Job{}}) {
    ASSERT_TRUE(saveJob(path, saved));  // the second save replaces the file
    EXPECT_EQ(readFile(path), jobFileText(saved));
    Job loaded;
    loaded.locations = {row("/old", true, "*.*", 0)};
    ASSERT_TRUE(loadJob(path, loaded));
    EXPECT_EQ(jobFileText(loaded), jobFileText(saved));
  }
}

TEST(JobFile, FolderWithCommasComesBackWhole) {
  TempDir dir;
  const std::string path = dir / "commas.dif";
  Job saved;
  saved.locations = {row("/home/ann/Smith, John,Jr", true, "*.*", 0), row(",", false, ".txt", 0)};
  ASSERT_TRUE(saveJob(path, saved));
  Job loaded;
  ASSERT_TRUE(loadJob(path, loaded));
  EXPECT_EQ(rowsText(loaded.locations), rowsText(saved.locations));
}

TEST(JobFile, ReportTypeSortAndFontLines) {
  TempDir dir;
  Job job;
  job.reportType = ReportType::Tree;
  // Unknown report types change nothing; only "Asc" exactly means ascending.
  ASSERT_TRUE(
      loadJob(dir.writeFile("a.dif", "Option9\r\n  Date \r\nasc\r\n Arial \r\n 9\r\n"), job));
  EXPECT_EQ(jobFileText(job), "Option2\r\nDate\r\nDesc\r\nArial\r\n9\r\n\r\n");
  // Lines the file lacks leave their values.
  ASSERT_TRUE(loadJob(dir.writeFile("b.dif", "option2\nName\nAsc\n"), job));
  EXPECT_EQ(jobFileText(job), "Option2\r\nName\r\nAsc\r\nArial\r\n9\r\n\r\n");
  for (int type = 1; type <= 4; ++type) {
    const std::string line = "Option" + std::to_string(type);
    ASSERT_TRUE(loadJob(dir.writeFile("c.dif", line + "\r\n"), job));
    EXPECT_EQ(static_cast<int>(job.reportType), type);
  }
}

TEST(JobFile, RowLines) {
  TempDir dir;
  Job job;
  ASSERT_TRUE(loadJob(dir.writeFile("rows.dif",
                                    "Option1\r\nName\r\nAsc\r\nMono\r\n10\r\n"
                                    "/music,Yes,*.*,All Levels,3\r\n"
                                    "/short,Yes,*.*,2\r\n"
                                    "\r\n"
                                    "/skip,Yes,*.*,All Levels,4\r\n"
                                    "/odd,Maybe, .txt , 3 ,04x\r\n"
                                    "/none,No,*.*,,\r\n"
                                    "/text,No,*.*,,icon\r\n"
                                    "/last,No,*.*,,7\r\n"
                                    "/deep,Yes,*.*,+32767, 4.0\r\n"
                                    "/empty,Yes,*.*,,3\r\n"
                                    "/bad,Yes,*.*,all levels,3\r\n"
                                    "/wide,Yes,*.*,32768,3"),
                      job));
  // Only "Yes" walks sub-folders; only an icon number of 4 skips the row; a
  // level that is no whole number is kept for the scan to name.
  ScanLocation bad = row("/bad", true, "*.*", 0), wide = row("/wide", true, "*.*", 0);
  bad.unreadableLevel = "all levels";
  wide.unreadableLevel = "32768";
  EXPECT_EQ(rowsText(job.locations),
            rowsText({row("/music", true, "*.*", 0), row("/skip", true, "*.*", 0, false),
                      row("/odd", false, " .txt ", 3, false), row("/none", false, "*.*", 0),
                      row("/text", false, "*.*", 0), row("/last", false, "*.*", 0),
                      row("/deep", true, "*.*", 32767, false), row("/empty", true, "*.*", 0), bad,
                      wide}));
  // The cells as the list shows them and a save writes them: as the file had
  // them, whatever the scan makes of them.
  const std::pair<size_t, std::string_view> cells[] = {
      {0, "Yes All Levels"}, {2, "Maybe  3 "}, {6, "Yes +32767"}, {8, "Yes all levels"}};
  for (const auto& [index, text] : cells) {
    const ScanLocation& location = job.locations[index];
    EXPECT_EQ(subFolderCellText(location) + " " + levelCellText(location), text);
  }
}

TEST(JobFile, UnreadableAndUnwritableFiles) {
  TempDir dir;
  Job job = threeRowJob();
  EXPECT_FALSE(loadJob(dir / "missing.dif", job));
  EXPECT_TRUE(job.locations.empty());
  EXPECT_EQ(job.sort, "Size");  // only the locations are cleared

  const std::string plain = dir.writeFile("plain", "keep");
  EXPECT_FALSE(saveJob(plain + "/job.dif", threeRowJob()));
  EXPECT_FALSE(saveJob("", threeRowJob()));
  EXPECT_EQ(readFile(plain), "keep");
}

TEST(JobFile, LoadedRowsAreSavedBackAsTheyWere) {
  TempDir dir;
  // Texts the editor would not write, and a folder name that is no UTF-8.
  const std::string rows =
      "/home/ann/Music,yes,*.*,All Levels,3\r\n"
      "/data/x\xFFy,No,*.*,All Levels,4\r\n"
      "/srv,Yes,.mp3,2,3\r\n";
  const std::string text = "Option1\r\nName\r\nAsc\r\nMono\r\n10\r\n" + rows;
  Job job;
  ASSERT_TRUE(loadJob(dir.writeFile("kept.dif", text), job));
  ASSERT_EQ(job.locations.size(), 3u);
  EXPECT_EQ(subFolderCellText(job.locations[0]) + "|" + levelCellText(job.locations[0]),
            "yes|All Levels");
  // The scan reads them by its own rules: only "Yes" walks sub-folders.
  EXPECT_FALSE(job.locations[0].subFolders);
  EXPECT_EQ(job.locations[1].folder, "/data/x\xFFy");
  EXPECT_FALSE(job.locations[1].scanned);
  ASSERT_TRUE(saveJob(dir / "again.dif", job));
  EXPECT_EQ(readFile(dir / "again.dif"), text);
}

}  // namespace
}  // namespace tallyfold
