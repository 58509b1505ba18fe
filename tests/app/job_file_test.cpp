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

// Every field of the rows, each ended by "|": unlike the file's commas they
// show where a folder with commas was cut.
std::string rowsText(const std::vector<ScanLocation>& rows) {
  std::string text;
  for (const ScanLocation& r : rows) {
    text += r.folder + "|" + r.subFolder + "|" + r.fileTypes + "|" + r.level + "|" + r.smallIcon +
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
    loaded.locations = {row("/old", "Yes", "*.*", "All Levels")};
    ASSERT_TRUE(loadJob(path, loaded));
    EXPECT_EQ(jobFileText(loaded), jobFileText(saved));
  }
}

TEST(JobFile, FolderWithCommasComesBackWhole) {
  TempDir dir;
  const std::string path = dir / "commas.dif";
  Job saved;
  saved.locations = {row("/home/ann/Smith, John,Jr", "Yes", "*.*", "All Levels"),
                     row(",", "No", ".txt", "")};
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
                                    "/last,No,*.*,,7"),
                      job));
  EXPECT_EQ(
      rowsText(job.locations),
      rowsText({row("/music", "Yes", "*.*", "All Levels", "3"),
                row("/skip", "Yes", "*.*", "All Levels", "4"),
                row("/odd", "Maybe", " .txt ", " 3 ", "4"), row("/none", "No", "*.*", "", "0"),
                row("/text", "No", "*.*", "", "0"), row("/last", "No", "*.*", "", "7")}));
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

}  // namespace
}  // namespace tallyfold
