#include "report/detailed_list.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>
#include <utility>

#include "listing_fixture.h"
#include "support/environment.h"
#include "support/temp_dir.h"

namespace tallyfold {
namespace {

using test::blanks;
using test::hyphens;
using test::kDefaultHeader;
using test::TempDir;
using Lines = std::vector<std::string>;

constexpr int64_t k20240305 = 1709634030;      // 2024-03-05 10:20:30 UTC
constexpr int64_t k20240305Late = 1709661600;  // 2024-03-05 18:00:00 UTC
constexpr int64_t k20231231 = 1704067199;      // 2023-12-31 23:59:59 UTC
constexpr int64_t k20240115 = 1705305600;      // 2024-01-15 08:00:00 UTC
constexpr int64_t k20220709 = 1657346704;      // 2022-07-09 06:05:04 UTC

std::string id3Field(std::string_view text, size_t width) {
  std::string field(text);
  field.resize(width, '\0');
  return field;
}

class DetailedListTest : public ::testing::Test {
 protected:
  void SetUp() override { test::useUtc(); }

  std::string file(const std::string& relative, uint64_t size, int64_t mtime) {
    std::string path = dir.makeSizedFile(relative, size);
    TempDir::setMtime(path, mtime);
    return path;
  }

  // data/notes.txt (1234 bytes), data/b.log (100), data/Sub/c.dat (5000).
  void makeDataTree() {
    file("data/notes.txt", 1234, k20240305);
    file("data/b.log", 100, k20231231);
    file("data/Sub/c.dat", 5000, k20240115);
    test::addRealFolder(report.store, report.records, dir / "data/", {"notes.txt", "b.log"}, false);
    test::addRealFolder(report.store, report.records, dir / "data/Sub/", {"c.dat"}, false);
  }

  // A list of names alone: no size, date, path, title, separators or sums.
  ReportSettings& namesOnly(const char* colSize) {
    ReportSettings& s = report.settings;
    s.size = s.date = s.fullPath = s.includeFolderTitle = s.includeSeparator = s.includeFolderSum =
        0;
    s.colSize = colSize;
    return s;
  }

  TempDir dir;
  test::ReportRun report;
};

TEST_F(DetailedListTest, DefaultColumnsWithFullSummary) {
  makeDataTree();
  report.settings.includeFullSum = 1;
  const std::string sep = hyphens(68);
  const std::string data = dir / "data";
  EXPECT_EQ(report.run(), (Lines{
                              kDefaultHeader,
                              sep,
                              "\\b\\par Directory of " + data + " \\par\\b0",
                              sep + "\\par\\par",
                              "b.log" + blanks(35) + blanks(8) + "0 KB" + "  31/12/2023 \\par",
                              "notes.txt" + blanks(31) + blanks(8) + "1 KB" + "  05/03/2024 \\par",
                              "\\par " + sep,
                              "\\par 2 file(s) found \\par ",
                              "Total file size 1.30 KB \\par ",
                              sep + " \\par\\par",
                              sep,
                              "\\b\\par Directory of " + data + "/Sub \\par\\b0",
                              sep + "\\par\\par",
                              "c.dat" + blanks(35) + blanks(8) + "5 KB" + "  15/01/2024 \\par",
                              "\\par " + sep,
                              "\\par 1 file(s) found \\par ",
                              "Total file size 4.88 KB \\par ",
                              sep + " \\par\\par",
                              "\\par\\b Total Summary: \\b0",
                              "\\par 3 file(s) found in 2 folder(s) \\par",
                              "Total file size 6.19 KB \\par",
                              " \\par \\par \\par }",
                          }));
  EXPECT_EQ(report.counters.files, 3u);
  EXPECT_EQ(report.counters.folders, 2u);
  EXPECT_EQ(report.counters.totalSize, 6334.0);
  // A column size that is no number counts as 40; below 3 as 3.
  report.settings.colSize = "wide";
  EXPECT_EQ(detailedLineWidth(report.settings), 68);
  report.settings.colSize = "1";
  EXPECT_EQ(detailedLineWidth(report.settings), 3 + 2 + 14 + 12);
}

TEST_F(DetailedListTest, RootFolderHeadingWithAndWithoutFullPath) {
  uint32_t root = report.store.addFolder("/");
  FileEntry entry;
  entry.size = 2048;
  entry.mtime = k20240115;
  report.records = {RecordRef{root, report.store.addFile(root, "vmlinuz", entry)}};
  report.settings.colSize = "10";
  report.settings.includeSeparator = report.settings.includeFolderSum = 0;
  // Without the full path the root's own name is empty.
  for (const char* heading : {"/", ""}) {
    report.settings.fullPath = *heading != '\0';
    EXPECT_EQ(report.run(),
              (Lines{kDefaultHeader, "\\b\\par Directory of " + std::string(heading) + " \\par\\b0",
                     " \\par", "vmlinuz   " + blanks(8) + "2 KB  15/01/2024 \\par", " \\par",
                     " \\par \\par \\par }"}));
  }
}

TEST_F(DetailedListTest, SizeDescendingInLowerCaseWithTimeAttributesAndOwner) {
  makeDataTree();
  std::string readOnly = file("data/READ.ME", 2048, k20220709);
  chmod(readOnly.c_str(), 0444);
  file("data/.Hidden", 10, k20240305Late);
  report.store = RecordStore();
  report.records.clear();
  test::addRealFolder(report.store, report.records, dir / "data/",
                      {"notes.txt", ".Hidden", "b.log", "READ.ME"}, false);
  test::addRealFolder(report.store, report.records, dir / "data/Sub/", {"c.dat"}, false);

  ReportSettings& s = report.settings;
  s.time = s.attribute = s.owner = s.listInLower = 1;
  s.date = s.fullPath = s.includeFolderTitle = s.includeSeparator = 0;
  s.showSizeIn = "Bytes";
  s.colSize = "20";
  report.options.sort = "Size";
  report.options.ascending = false;
  const passwd* user = getpwuid(getuid());
  ASSERT_NE(user, nullptr);
  const std::string owner = "  " + std::string(user->pw_name) + blanks(17 - strlen(user->pw_name));

  EXPECT_EQ(
      report.run(),
      (Lines{
          kDefaultHeader,
          "\\b\\par data \\par\\b0",
          " \\par",
          "read.me" + blanks(13) + blanks(8) + "2048" + " 06:05:04" + "  r   " + owner + " \\par",
          "notes.txt" + blanks(11) + blanks(8) + "1234" + " 10:20:30" + "      " + owner + " \\par",
          "b.log" + blanks(15) + blanks(9) + "100" + " 23:59:59" + "      " + owner + " \\par",
          ".hidden" + blanks(13) + blanks(10) + "10" + " 18:00:00" + "  h   " + owner + " \\par",
          "\\par 4 file(s) found \\par ",
          "Total file size 3.31 KB \\par ",
          "\\b\\par sub \\par\\b0",
          " \\par",
          "c.dat" + blanks(15) + blanks(8) + "5000" + " 08:00:00" + "      " + owner + " \\par",
          "\\par 1 file(s) found \\par ",
          "Total file size 4.88 KB \\par ",
          " \\par \\par \\par }",
      }));
  EXPECT_EQ(detailedLineWidth(s), 20 + 2 + 14 + 10 + 5 + 17);
}

TEST_F(DetailedListTest, DateSortWritesTheDayWithSlashesOtherSortsTheLocaleSeparators) {
  file("data/notes.txt", 1, k20240305);
  file("data/late.txt", 2, k20240305Late);
  file("data/b.log", 3, k20231231);
  file("data/a.txt", 4, k20220709);
  test::addRealFolder(report.store, report.records, dir / "data/",
                      {"notes.txt", "late.txt", "b.log", "a.txt"}, false);
  ReportSettings& s = report.settings;
  s.time = 1;
  s.size = s.fullPath = s.includeSeparator = s.includeFolderSum = 0;
  s.colSize = "12";
  report.locale.dateSeparator = "-";
  report.locale.timeSeparator = ".";

  struct Row {
    std::string name, date, time;
  };
  const Row a{"a.txt", "09?07?2022", "06.05.04"}, b{"b.log", "31?12?2023", "23.59.59"},
      late{"late.txt", "05?03?2024", "18.00.00"}, notes{"notes.txt", "05?03?2024", "10.20.30"};
  auto expected = [](const std::vector<Row>& rows, char separator) {
    Lines lines{kDefaultHeader, "\\b\\par Directory of data \\par\\b0", " \\par"};
    for (Row row : rows) {
      for (char& c : row.date) {
        if (c == '?') c = separator;
      }
      lines.push_back(row.name + blanks(12 - row.name.size()) + "  " + row.date + " " + row.time +
                      " \\par");
    }
    lines.push_back(" \\par");
    lines.push_back(" \\par \\par \\par }");
    return lines;
  };
  auto runWith = [this](const std::string& sort, bool ascending) {
    report.options.sort = sort;
    report.options.ascending = ascending;
    return report.run();
  };

  EXPECT_EQ(runWith("Date", true), expected({a, b, late, notes}, '/'));
  EXPECT_EQ(runWith("Date", false), expected({notes, late, b, a}, '/'));
  EXPECT_EQ(runWith("Name", true), expected({a, b, late, notes}, '-'));
  EXPECT_EQ(runWith("Name", false), expected({notes, late, b, a}, '-'));
  EXPECT_EQ(runWith("Size", true), expected({notes, late, b, a}, '-'));
  EXPECT_EQ(runWith("Size", false), expected({a, b, late, notes}, '-'));
}

TEST_F(DetailedListTest, TagAndCrcColumns) {
  const std::string audio = "not really audio, just bytes";
  const std::string tag = "TAG" + id3Field("Caf\xE9", 30) + id3Field("Artist", 30) +
                          id3Field("Album", 30) + "1999" + id3Field("Nice", 30) + "\x11";
  dir.writeFile("music/song.mp3", audio + tag);
  dir.writeFile("music/plain.txt", "plain");
  dir.writeFile("music/.hidden.mp3", "hidden");
  test::addRealFolder(report.store, report.records, dir / "music/",
                      {"song.mp3", "plain.txt", ".hidden.mp3"}, false);
  ReportSettings& s = namesOnly("12");
  s.title = s.artist = s.year = s.genre = s.crc32 = 1;
  const std::string songCrc = "  DBC9D690", plainCrc = "  192062CF";
  // Genre names are padded to the longest of the genre table, 21.
  const std::string noTag = blanks(33) + blanks(33) + blanks(7) + blanks(24);

  // The hidden file's row has no CRC column.
  EXPECT_EQ(report.run(),
            (Lines{
                kDefaultHeader,
                "\\b\\par music \\par\\b0",
                " \\par",
                ".hidden.mp3 " + noTag + " \\par",
                "plain.txt   " + noTag + plainCrc + " \\par",
                "song.mp3    " + ("   Caf\\u233?" + blanks(26)) + ("   Artist" + blanks(24)) +
                    "   1999" + "   Rock" + blanks(17) + songCrc + " \\par",
                " \\par",
                " \\par \\par \\par }",
            }));
  EXPECT_EQ(detailedLineWidth(s), 12 + 2 + 32 + 32 + 6 + 23 + 12);

  s.removeBlankSpaces = 1;
  EXPECT_EQ(report.run(),
            (Lines{
                kDefaultHeader,
                "\\b\\par music \\par\\b0",
                " \\par",
                ".hidden.mp3 " + blanks(12) + " \\par",
                "plain.txt   " + blanks(12) + plainCrc + " \\par",
                "song.mp3       Caf\\u233?   Artist   1999   Rock" + songCrc + " \\par",
                " \\par",
                " \\par \\par \\par }",
            }));
}

TEST_F(DetailedListTest, LongNamesAndHeadingsAreCutByCharacters) {
  file("data/0123456789", 1, k20240305);
  file("data/abcde  xyz.txt", 1, k20240305);
  const std::string accented =
      "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9.txt";
  file("data/" + accented, 1, k20240305);
  test::addRealFolder(report.store, report.records, dir / "data/",
                      {accented, "abcde  xyz.txt", "0123456789"}, false);
  ReportSettings& s = report.settings;
  s.size = s.date = s.includeFolderSum = 0;
  s.colSize = "10";
  const std::string sep = hyphens(12);
  const std::string e7 = "\\u233?\\u233?\\u233?\\u233?\\u233?\\u233?\\u233?";
  EXPECT_EQ(report.run(), (Lines{
                              kDefaultHeader,
                              sep,
                              "\\b\\par Directory... \\par\\b0",
                              sep + "\\par\\par",
                              "0123456789 \\par",
                              "abcde...   \\par",
                              e7 + "... \\par",
                              " \\par",
                              " \\par \\par \\par }",
                          }));
}

TEST_F(DetailedListTest, NoRecordsGiveOneBlockForTheEmptyFolder) {
  report.settings.includeFullSum = 1;
  const std::string sep = hyphens(68);
  const Lines emptyList{
      kDefaultHeader,
      sep,
      "\\b\\par Directory of  \\par\\b0",
      sep + "\\par\\par",
      "\\par " + sep,
      "\\par 0 file(s) found \\par ",
      "Total file size 0 bytes \\par ",
      sep + " \\par\\par",
      "\\par\\b Total Summary: \\b0",
      "\\par 0 file(s) found in 0 folder(s) \\par",
      "Total file size 0 bytes \\par",
      " \\par \\par \\par }",
  };
  EXPECT_EQ(report.run(), emptyList);

  // A cancel before the first record leaves the same document.
  makeDataTree();
  report.control.requestCancel();
  EXPECT_EQ(report.run(), emptyList);
}

// Cancels the run once the fifth row is written, as the Cancel command would
// while rows are written.
struct CancellingSink : test::LinesSink {
  RunControl* control = nullptr;
  void writeLine(std::string_view line) override {
    LinesSink::writeLine(line);
    if (line == "a5   \\par") control->requestCancel();
  }
};

TEST_F(DetailedListTest, CancelDuringRowsEndsTheBlockAndStillClosesTheDocument) {
  std::vector<std::string> names;
  for (int i = 1; i <= 7; ++i) {
    names.push_back("a" + std::to_string(i));
    file("A/" + names.back(), i, k20240305);
  }
  file("B/b1", 100, k20240305);
  test::addRealFolder(report.store, report.records, dir / "A/", names, false);
  test::addRealFolder(report.store, report.records, dir / "B/", {"b1"}, false);
  ReportSettings& s = namesOnly("4");
  s.includeFolderSum = s.includeFullSum = 1;
  CancellingSink sink;
  sink.control = &report.control;
  ReportInput input{report.store,   report.records, report.settings,
                    report.options, report.locale,  report.collation};
  ReportCounters counters = writeReport(input, sink, report.control);

  EXPECT_EQ(sink.lines,
            (Lines{kDefaultHeader, "\\b\\par A \\par\\b0", " \\par", "a1   \\par", "a2   \\par",
                   "a3   \\par", "a4   \\par", "a5   \\par", "\\par 5 file(s) found \\par ",
                   "Total file size 15 bytes \\par ", "\\b\\par B \\par\\b0", " \\par",
                   "\\par 0 file(s) found \\par ", "Total file size 0 bytes \\par ",
                   "\\par\\b Total Summary: \\b0", "\\par 5 file(s) found in 2 folder(s) \\par",
                   "Total file size 128 bytes \\par", " \\par \\par \\par }"}));
  EXPECT_EQ(report.control.statusText(), "Formatting list, please wait...(5/8) 62.5%");
  EXPECT_EQ(counters.files, 5u);
  EXPECT_EQ(counters.folders, 2u);
}

TEST_F(DetailedListTest, OneFolderFromTwoLocationsIsOneSortedBlock) {
  for (const char* name : {"a", "b", "c", "d"}) file(std::string("x/") + name, 1, k20240305);
  RecordStore& store = report.store;
  uint32_t first = store.addFolder(dir / "x/");
  uint32_t second = store.addFolder(dir / "x/");
  auto add = [&](uint32_t folder, const char* name) {
    uint32_t index = store.addFile(folder, name, test::entryOf(dir / "x/" + name));
    report.records.push_back(RecordRef{folder, index});
  };
  add(second, "c");
  add(first, "b");
  add(second, "a");
  add(first, "d");
  namesOnly("3");
  EXPECT_EQ(report.run(),
            (Lines{kDefaultHeader, "\\b\\par x \\par\\b0", " \\par", "a   \\par", "b   \\par",
                   "c   \\par", "d   \\par", " \\par", " \\par \\par \\par }"}));
  EXPECT_EQ(report.counters.folders, 1u);
  EXPECT_EQ(report.counters.files, 4u);
}

TEST_F(DetailedListTest, DatesOfAnyYearShowWhole) {
  // tmpfs keeps 64-bit seconds, so its files can carry any of these times.
  test::EnvironmentValue shm("TMPDIR", "/dev/shm");
  std::optional<TempDir> far;
  try {
    far.emplace();
  } catch (const std::exception&) {
    GTEST_SKIP() << "no /dev/shm here";
  }
  const std::pair<const char*, int64_t> files[] = {
      {"new", 67768036191676799},  // past year INT_MAX: the last day of INT_MAX
      {"mid", 9404918467200},      // 2 January 300000
      {"old", k20231231},
  };
  for (const auto& [name, seconds] : files) {
    TempDir::setMtime(far->writeFile(std::string("t/") + name), seconds);
  }
  test::addRealFolder(report.store, report.records, *far / "t/", {"new", "mid", "old"}, false);
  ReportSettings& s = namesOnly("3");
  s.date = 1;
  for (const char* sort : {"Date", "Name"}) {
    report.options.sort = sort;
    const Lines rows = report.options.sort == "Date"
                           ? Lines{"old  31/12/2023 \\par", "mid  02/01/300000 \\par",
                                   "new  31/12/2147483647 \\par"}
                           : Lines{"mid  02/01/300000 \\par", "new  31/12/2147483647 \\par",
                                   "old  31/12/2023 \\par"};
    Lines expected{kDefaultHeader, "\\b\\par t \\par\\b0", " \\par"};
    expected.insert(expected.end(), rows.begin(), rows.end());
    expected.insert(expected.end(), {" \\par", " \\par \\par \\par }"});
    EXPECT_EQ(report.run(), expected) << sort;
  }
}

}  // namespace
}  // namespace tallyfold
