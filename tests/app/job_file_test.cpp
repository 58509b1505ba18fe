#include <gtest/gtest.h>

#include "app/job.h"
#include "support/temp_dir.h"

namespace tallyfold {
namespace {

using test::readFile;
using test::TempDir;

ScanLocation row(std::string folder, std::string sub, std::string types, std::string level,
                 std::string icon = "3") {
  return {std::move(folder), std::move(sub), std::move(types), std::move(level), std::move(icon)};
}

Job threeRowJob() {
  Job job;
  job.reportType = ReportType::TreeWithSize;
  job.sort = "Size";
  job.ascending = false;
  job.fontName = "DejaVu Sans Mono";
  job.fontSize = "12";
  job.locations = {row("/home/ann/Music", "Yes", ".mp3;.wma", "2"),
                   row("/srv/data", "No", "*.*", ""),
                   row("/home/ann/Photos", "Yes", ".jpg", "All Levels", "4")};
  return job;
}

void expectSameRows(const std::vector<ScanLocation>& a, const std::vector<ScanLocation>& b) {
  ASSERT_EQ(a.size(), b.size());
  for (size_t i = 0; i < a.size(); ++i) {
    EXPECT_EQ(a[i].folder, b[i].folder) << i;
    EXPECT_EQ(a[i].subFolder, b[i].subFolder) << i;
    EXPECT_EQ(a[i].fileTypes, b[i].fileTypes) << i;
    EXPECT_EQ(a[i].level, b[i].level) << i;
    EXPECT_EQ(a[i].smallIcon, b[i].smallIcon) << i;
  }
}

TEST(JobFile, TextByteForByte) {
  EXPECT_EQ(JobFileText(threeRowJob()),
            "Option3\r\nSize\r\nDesc\r\nDejaVu Sans Mono\r\n12\r\n"
            "/home/ann/Music,Yes,.mp3;.wma,2,3\r\n"
            "/srv/data,No,*.*,,3\r\n"
            "/home/ann/Photos,Yes,.jpg,All Levels,4\r\n");

  Job empty;
  EXPECT_EQ(JobFileText(empty), "Option1\r\nName\r\nAsc\r\ncourier new\r\n10\r\n\r\n");
}

TEST(JobFile, SaveThenLoadGivesTheSameJob) {
  TempDir dir;
  const std::string path = dir / "music.dif";
  const Job saved = threeRowJob();
  ASSERT_TRUE(SaveJob(path, saved));
  EXPECT_EQ(readFile(path), JobFileText(saved));

  Job loaded;
  loaded.locations = {row("/old", "Yes", "*.*", "All Levels")};
  ASSERT_TRUE(LoadJob(path, loaded));
  EXPECT_EQ(loaded.reportType, ReportType::TreeWithSize);
  EXPECT_EQ(loaded.sort, "Size");
  EXPECT_FALSE(loaded.ascending);
  EXPECT_EQ(loaded.fontName, "DejaVu Sans Mono");
  EXPECT_EQ(loaded.fontSize, "12");
  expectSameRows(loaded.locations, saved.locations);

  // Saving again replaces the file.
  Job other;
  other.reportType = ReportType::FolderList;
  ASSERT_TRUE(SaveJob(path, other));
  ASSERT_TRUE(LoadJob(path, loaded));
  EXPECT_EQ(loaded.reportType, ReportType::FolderList);
  EXPECT_TRUE(loaded.ascending);
  EXPECT_TRUE(loaded.locations.empty());
}

TEST(JobFile, FolderWithCommasComesBackWhole) {
  TempDir dir;
  const std::string path = dir / "commas.dif";
  Job saved;
  saved.locations = {row("/home/ann/Smith, John,Jr", "Yes", "*.*", "All Levels"),
                     row(",", "No", ".txt", "")};
  ASSERT_TRUE(SaveJob(path, saved));
  Job loaded;
  ASSERT_TRUE(LoadJob(path, loaded));
  expectSameRows(loaded.locations, saved.locations);
}

TEST(JobFile, ReportTypeSortAndFontLines) {
  TempDir dir;
  Job job;
  job.reportType = ReportType::Tree;
  job.ascending = true;
  ASSERT_TRUE(
      LoadJob(dir.writeFile("a.dif", "Option9\r\n  Date \r\nasc\r\n Arial \r\n 9\r\n"), job));
  EXPECT_EQ(job.reportType, ReportType::Tree);  // unknown report types change nothing
  EXPECT_EQ(job.sort, "Date");
  EXPECT_FALSE(job.ascending);  // only "Asc" exactly means ascending
  EXPECT_EQ(job.fontName, "Arial");
  EXPECT_EQ(job.fontSize, "9");

  ASSERT_TRUE(LoadJob(dir.writeFile("b.dif", "option2\nName\nAsc\n"), job));
  EXPECT_EQ(job.reportType, ReportType::Tree);
  EXPECT_TRUE(job.ascending);
  EXPECT_EQ(job.fontName, "Arial");  // lines the file lacks leave their values

  for (int type = 1; type <= 4; ++type) {
    const std::string line = "Option" + std::to_string(type);
    ASSERT_TRUE(LoadJob(dir.writeFile("c.dif", line + "\r\n"), job));
    EXPECT_EQ(static_cast<int>(job.reportType), type);
  }
}

TEST(JobFile, RowLines) {
  TempDir dir;
  Job job;
  ASSERT_TRUE(LoadJob(dir.writeFile("rows.dif",
                                    "Option1\r\nName\r\nAsc\r\nMono\r\n10\r\n"
                                    "/music,Yes,*.*,All Levels,3\r\n"
                                    "/short,Yes,*.*,2\r\n"
                                    "\r\n"
                                    "/skip,Yes,*.*,All Levels,4\r\n"
                                    "/odd,Maybe, .txt , 3 ,04x\r\n"
                                    "/none,No,*.*,,\r\n"
                                    "/text,No,*.*,,icon\r\n"
                                    "/last,No,*.*,,7"),
                      job));
  expectSameRows(job.locations,
                 {row("/music", "Yes", "*.*", "All Levels", "3"),
                  row("/skip", "Yes", "*.*", "All Levels", "4"),
                  row("/odd", "Maybe", " .txt ", " 3 ", "4"), row("/none", "No", "*.*", "", "0"),
                  row("/text", "No", "*.*", "", "0"), row("/last", "No", "*.*", "", "7")});
}

TEST(JobFile, JobWithoutRows) {
  TempDir dir;
  const std::string path = dir / "empty.dif";
  ASSERT_TRUE(SaveJob(path, Job{}));
  EXPECT_EQ(readFile(path), "Option1\r\nName\r\nAsc\r\ncourier new\r\n10\r\n\r\n");
  Job loaded;
  loaded.locations = {row("/old", "Yes", "*.*", "All Levels")};
  ASSERT_TRUE(LoadJob(path, loaded));
  EXPECT_TRUE(loaded.locations.empty());
}

TEST(JobFile, UnreadableAndUnwritableFiles) {
  TempDir dir;
  Job job = threeRowJob();
  EXPECT_FALSE(LoadJob(dir / "missing.dif", job));
  EXPECT_TRUE(job.locations.empty());
  EXPECT_EQ(job.sort, "Size");  // only the locations are cleared

  const std::string plain = dir.writeFile("plain", "keep");
  EXPECT_FALSE(SaveJob(plain + "/job.dif", threeRowJob()));
  EXPECT_FALSE(SaveJob("", threeRowJob()));
  EXPECT_EQ(readFile(plain), "keep");
}

}  // namespace
}  // namespace tallyfold
