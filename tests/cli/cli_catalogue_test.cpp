// tallyfold-cli's catalogue commands on real trees and real catalogue files:
// --add and --scans, --find with its patterns, filters and exit statuses,
// reports from a stored scan equal to the live ones, the note on a column not
// read, comparisons with scans, import and export, duplicates, labels that
// name several scans, and the refusals of files that are no catalogue.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "support/process.h"
#include "support/temp_dir.h"
#include "tests/cli/cli_fixture.h"
#include "tests/cli/test_media.h"

namespace tallyfold::test {
namespace {

constexpr int64_t kTime = 1700000000;

// An MP3 body followed by an ID3v1 tag of the given title and artist.
std::string mp3WithTag(const std::string& title, const std::string& artist) {
  auto field = [](std::string text, size_t width) {
    text.resize(width, '\0');
    return text;
  };
  return std::string(600, '\x55') + "TAG" + field(title, 30) + field(artist, 30) +
         field("Album", 30) + "1999" + field("note", 30) + std::string(1, '\x11');
}

class CliCatalogueTest : public CliFixture {
 protected:
  std::string catalogue() const { return home / "cat.sqlite"; }

  ProcessResult cat(std::vector<std::string> args) const {
    args.insert(args.begin(), {"--catalogue", catalogue()});
    return run(args);
  }

  void file(const std::string& relative, std::string_view bytes, int64_t mtime = kTime) const {
    TempDir::setMtime(tree.writeFile(relative, bytes), mtime);
  }

  std::string add(std::vector<std::string> extra = {}) const {
    std::vector<std::string> args = {"-q", "--add"};
    args.insert(args.end(), extra.begin(), extra.end());
    args.push_back(tree.path());
    auto result = cat(args);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    return result.out;
  }

  void makeNamedTree() const {
    file("Holiday 2024.JPG", std::string(3000, 'h'), kTime);
    file("trips/holiday.txt", "a", kTime + 86400 * 30);
    file("trips/IMG_2023_01.jpg", std::string(100, 'i'));
    file("trips/IMG_1999.jpg", "i");
    file("odd/a%b_c*d[e].flac", "odd");
    file("odd/caf\xE9.flac", "latin-1 byte");
    file("odd/x.y", "short");
  }
};

// A listing or page names when its scan ran: a live one made for comparison
// ran later than the stored scan.
std::string withoutScanTime(const std::string& text) {
  static const std::regex scanned("\"scanned\":\"[^\"]*\"");
  return std::regex_replace(text, scanned, "");
}

std::vector<std::string> lines(const std::string& text, char end = '\n') {
  std::vector<std::string> out;
  size_t start = 0;
  while (start < text.size()) {
    size_t stop = text.find(end, start);
    if (stop == std::string::npos) stop = text.size();
    out.push_back(text.substr(start, stop - start));
    start = stop + 1;
  }
  return out;
}

TEST_F(CliCatalogueTest, AddListsAndFindsByPatternFilterAndScan) {
  makeNamedTree();
  EXPECT_EQ(add({"--label", "disk one"}), "1\n");
  EXPECT_EQ(add(), "2\n");

  auto scans = cat({"--scans"});
  ASSERT_EQ(scans.exitCode, 0) << scans.err;
  const auto rows = lines(scans.out);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_TRUE(rows[0].starts_with("1\tdisk one\t")) << rows[0];
  // Without a label: the volume's label, else the folder's last name.
  EXPECT_TRUE(rows[1].starts_with("2\t")) << rows[1];
  EXPECT_TRUE(rows[0].ends_with("\t7\t3122")) << rows[0];
  auto json = cat({"--scans", "--json"});
  EXPECT_NE(json.out.find("\"label\": \"disk one\""), std::string::npos) << json.out;
  EXPECT_NE(json.out.find("\"files\": 7"), std::string::npos) << json.out;

  const std::string t = tree.path();
  auto holiday = cat({"--find", "HOLIDAY", "--in", "disk one"});
  EXPECT_EQ(holiday.exitCode, 0) << holiday.err;
  EXPECT_EQ(holiday.out,
            "disk one\t" + t + "/Holiday 2024.JPG\ndisk one\t" + t + "/trips/holiday.txt\n");
  EXPECT_EQ(lines(cat({"--find", "*.flac", "--in", "1"}).out).size(), 2u);
  EXPECT_EQ(cat({"--find", "IMG_20??_*", "--in", "1"}).out,
            "disk one\t" + t + "/trips/IMG_2023_01.jpg\n");
  // Characters that mean something to SQL or to a glob are plain in a substring.
  EXPECT_EQ(cat({"--find", "%b_c*", "--in", "1"}).out, "");
  EXPECT_EQ(cat({"--find", "%b_c", "--in", "1"}).out, "disk one\t" + t + "/odd/a%b_c*d[e].flac\n");
  EXPECT_EQ(cat({"--find", "*[[]e]*", "--in", "1"}).out,
            "disk one\t" + t + "/odd/a%b_c*d[e].flac\n");
  // A name that is not UTF-8 is found by its bytes and printed as it is.
  EXPECT_EQ(cat({"--find", "f\xE9.", "--in", "1"}).out, "disk one\t" + t + "/odd/caf\xE9.flac\n");
  // Patterns shorter than the index's three characters still find.
  EXPECT_EQ(cat({"--find", ".y", "--in", "1"}).out, "disk one\t" + t + "/odd/x.y\n");

  EXPECT_EQ(cat({"--find", "i", "--min-size", "100", "--max-size", "2K", "--in", "1"}).out,
            "disk one\t" + t + "/trips/IMG_2023_01.jpg\n");
  EXPECT_EQ(cat({"--find", "holiday", "--newer", "2023-12-01", "--in", "1"}).out,
            "disk one\t" + t + "/trips/holiday.txt\n");
  EXPECT_EQ(cat({"--find", "holiday", "--older", "2023-11-15 00:00", "--in", "1"}).out,
            "disk one\t" + t + "/Holiday 2024.JPG\n");
  EXPECT_EQ(cat({"--find", "hol", "--ext", "JPG", "--count"}).out, "2\n");
  EXPECT_EQ(lines(cat({"--find", "holiday"}).out).size(), 4u);
  EXPECT_EQ(lines(cat({"--find", "holiday", "--limit", "3"}).out).size(), 3u);

  auto nul = cat({"--find", ".flac", "-0", "--in", "1"});
  EXPECT_EQ(lines(nul.out, '\0').size(), 2u);
  EXPECT_EQ(nul.out.back(), '\0');

  auto none = cat({"--find", "no such name"});
  EXPECT_EQ(none.exitCode, 1);
  EXPECT_EQ(none.out, "");
  auto badDate = cat({"--find", "x", "--newer", "yesterday"});
  EXPECT_EQ(badDate.exitCode, 2);
}

// The detailed list and the machine listings take every column from the
// store; the trees take the folders, empty ones included.
TEST_F(CliCatalogueTest, ReportFromScanEqualsTheLiveReportInEveryTypeAndForm) {
  makeNamedTree();
  file("b.txt", "B");
  file("B.txt", "b");
  file("a.TXT", "aa");
  file("A.txt", "a");
  file(".hidden", "hid");
  file("music/song.mp3", mp3WithTag("Song One", "Band"));
  file("music/other.MP3", mp3WithTag("Song Two", "Choir"));
  tree.makeDir("empty/inner");
  const std::vector<std::string> columns = {
      "--set", "Fields.CRC32=1",     "--set", "Fields.SHA256=1", "--set", "Fields.Owner=1",
      "--set", "Fields.Version=1",   "--set", "Fields.Time=1",   "--set", "Fields.Attribute=1",
      "--set", "Fields.Title=1",     "--set", "Fields.Artist=1", "--set", "Fields.Year=1",
      "--set", "Settings.ColSize=30"};
  add(columns);
  for (const char* type : {"details", "tree", "tree-size", "folders"}) {
    for (const char* form : {"txt", "rtf", "html", "csv", "json"}) {
      const std::string live = home / (std::string("live-") + type + "." + form);
      const std::string stored = home / (std::string("stored-") + type + "." + form);
      std::vector<std::string> liveArgs = {"-q", "-r", type, "-s", "size", "-o", live};
      liveArgs.insert(liveArgs.end(), columns.begin(), columns.end());
      liveArgs.push_back(tree.path());
      ASSERT_EQ(run(liveArgs).exitCode, 0);
      std::vector<std::string> storedArgs = {"--from-scan", "1",    "-r", type,
                                             "-s",          "size", "-o", stored};
      storedArgs.insert(storedArgs.end(), columns.begin(), columns.end());
      auto result = cat(storedArgs);
      ASSERT_EQ(result.exitCode, 0) << result.err;
      EXPECT_EQ(result.err, "");
      std::string liveText = readFile(live), storedText = readFile(stored);
      if (std::string(form) == "json") {
        liveText = withoutScanTime(liveText);
        storedText = withoutScanTime(storedText);
      }
      EXPECT_EQ(storedText, liveText) << type << " " << form;
    }
  }
  // Standard output too, and the walk order the sort of equal names keeps.
  auto text = cat({"--from-scan", "1", "-s", "name"});
  std::vector<std::string> liveArgs = {"-q", "-s", "name"};
  liveArgs.push_back(tree.path());
  EXPECT_EQ(text.out, run(liveArgs).out);

  // The browsable page needs no disk: the tree is gone when it is made.
  std::vector<std::string> livePage = {"-q", "--page", "-o", home / "live.html"};
  livePage.insert(livePage.end(), columns.begin(), columns.end());
  livePage.push_back(tree.path());
  ASSERT_EQ(run(livePage).exitCode, 0);
  const std::string moved = tree.path() + "-away";
  std::filesystem::rename(tree.path(), moved);
  std::vector<std::string> storedPage = {"--from-scan", "1", "--page", "-o", home / "stored.html"};
  storedPage.insert(storedPage.end(), columns.begin(), columns.end());
  auto paged = cat(storedPage);
  std::filesystem::rename(moved, tree.path());
  ASSERT_EQ(paged.exitCode, 0) << paged.err;
  EXPECT_EQ(paged.err, "");
  const std::string storedText = readFile(home / "stored.html");
  EXPECT_NE(storedText.find("\"columns\":[\"attributes\",\"owner\""), std::string::npos);
  EXPECT_EQ(withoutScanTime(storedText), withoutScanTime(readFile(home / "live.html")));
  // Only a stored scan makes a page among the catalogue's commands.
  auto refused = cat({"-q", "--add", "--page", "-o", home / "x.html", tree.path()});
  EXPECT_EQ(refused.exitCode, 2);
  EXPECT_NE(refused.err.find("--page makes the page of a scan"), std::string::npos) << refused.err;
}

// The media facts are read once at the add; the stored scan then gives the
// same media columns as the files, damaged ones blank, in the detailed list
// and the machine listings, and --scans --json names the columns it kept.
TEST_F(CliCatalogueTest, MediaColumnsFromScanEqualTheLiveOnes) {
  const std::string missing = missingMediaTools();
  if (!missing.empty()) GTEST_SKIP() << "missing tools to make media: " << missing;
  ASSERT_EQ(makeTestMedia(tree.path()).exitCode, 0);
  std::vector<std::string> columns = kMediaColumns;
  columns.insert(columns.end(), {"--set", "Fields.CRC32=1", "--set", "Settings.ColSize=14"});
  add(columns);
  add({"--set", "Fields.CRC32=1"});
  for (const char* form : {"txt", "csv", "json"}) {
    const std::string live = home / (std::string("live.") + form);
    const std::string stored = home / (std::string("stored.") + form);
    std::vector<std::string> liveArgs = {"-q", "-s", "name", "-o", live};
    liveArgs.insert(liveArgs.end(), columns.begin(), columns.end());
    liveArgs.push_back(tree.path());
    const ProcessResult liveRun = run(liveArgs);
    ASSERT_EQ(liveRun.exitCode, 0) << liveRun.err;
    std::vector<std::string> storedArgs = {"--from-scan", "1", "-s", "name", "-o", stored};
    storedArgs.insert(storedArgs.end(), columns.begin(), columns.end());
    const ProcessResult result = cat(storedArgs);
    ASSERT_EQ(result.exitCode, 0) << result.err;
    // The damaged files were named when the scan was added, not again.
    EXPECT_EQ(result.err, "");
    std::string liveText = readFile(live), storedText = readFile(stored);
    if (std::string(form) == "json") {
      liveText = withoutScanTime(liveText);
      storedText = withoutScanTime(storedText);
    }
    EXPECT_NE(storedText.find("Canon EOS R5"), std::string::npos) << form;
    EXPECT_NE(storedText.find("H.264 / AAC"), std::string::npos) << form;
    EXPECT_EQ(storedText, liveText) << form;
  }

  std::vector<std::string> withoutMedia = {"--from-scan", "2"};
  withoutMedia.insert(withoutMedia.end(), columns.begin(), columns.end());
  const ProcessResult blank = cat(withoutMedia);
  ASSERT_EQ(blank.exitCode, 0) << blank.err;
  EXPECT_NE(blank.err.find("scan 2 was added without these columns, which come out empty: media"),
            std::string::npos)
      << blank.err;
  EXPECT_EQ(blank.out.find("Canon EOS R5"), std::string::npos);

  const std::string json = cat({"--scans", "--json"}).out;
  EXPECT_NE(json.find("\"columns\": [\"crc32\", \"media\"]}"), std::string::npos) << json;
  EXPECT_NE(json.find("\"columns\": [\"crc32\"]}"), std::string::npos) << json;
}

TEST_F(CliCatalogueTest, ColumnNotReadAtAddComesOutEmptyAndIsSaidOnce) {
  file("one.txt", "1");
  file("two.txt", "2");
  add();
  auto result = cat({"--from-scan", "1", "--set", "Fields.CRC32=1", "--set", "Fields.Owner=1"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(lines(result.err).size(), 1u) << result.err;
  EXPECT_NE(result.err.find("owner, CRC-32"), std::string::npos) << result.err;
  EXPECT_EQ(result.out.find("2AD"), std::string::npos);  // no digest appears
  const auto live = run({"-q", "--set", "Fields.CRC32=1", tree.path()});
  EXPECT_NE(live.out, result.out);
}

TEST_F(CliCatalogueTest, ComparesScansWithScansFoldersAndListings) {
  file("keep.txt", "same");
  file("grow.txt", "small");
  file("gone.txt", "bye");
  add({"--label", "before"});
  file("grow.txt", "small and more");
  std::filesystem::remove(tree / "gone.txt");
  file("sub/new.txt", "new");
  add({"--label", "after"});
  const std::string changes =
      "- gone.txt\n~ grow.txt\n+ sub/new.txt\n1 added, 1 removed, 1 changed\n";
  auto scans = cat({"--compare", "before", "after"});
  EXPECT_EQ(scans.exitCode, 1) << scans.err;
  EXPECT_EQ(scans.out, changes);
  // A scan against its own locations scanned now, and against a folder.
  EXPECT_EQ(cat({"-q", "--compare", "before"}).out, changes);
  EXPECT_EQ(cat({"-q", "--compare", "before", tree.path()}).out, changes);
  auto same = cat({"-q", "--compare", "after"});
  EXPECT_EQ(same.exitCode, 0);
  EXPECT_EQ(same.out, "0 added, 0 removed, 0 changed\n");
  // A listing against a scan.
  const std::string listing = home / "before.json";
  ASSERT_EQ(cat({"--from-scan", "before", "-o", listing}).exitCode, 0);
  EXPECT_EQ(cat({"--compare", listing, "after"}).out, changes);
  auto unknown = cat({"--compare", "nothing", "after"});
  EXPECT_EQ(unknown.exitCode, 2);
  EXPECT_NE(unknown.err.find("nothing"), std::string::npos);
}

TEST_F(CliCatalogueTest, ExportImportRemoveAndAmbiguousLabels) {
  file("a/one.txt", "1");
  file("a/b/two.txt", "22");
  add({"--label", "disk", "--set", "Fields.CRC32=1"});
  const std::string exported = home / "x.json";
  ASSERT_EQ(cat({"--from-scan", "disk", "-o", exported, "--set", "Fields.CRC32=1"}).exitCode, 0);
  auto imported = cat({"--import", exported, "--label", "moved"});
  ASSERT_EQ(imported.exitCode, 0) << imported.err;
  EXPECT_EQ(imported.out, "2\n");
  auto compared = cat({"--compare", "disk", "moved"});
  EXPECT_EQ(compared.exitCode, 0) << compared.out << compared.err;
  EXPECT_EQ(cat({"--find", "two", "--in", "moved"}).out,
            "moved\t" + tree.path() + "/a/b/two.txt\n");
  // A second export of the imported scan gives the same listing again.
  const std::string again = home / "y.json";
  ASSERT_EQ(cat({"--from-scan", "moved", "-o", again, "--set", "Fields.CRC32=1"}).exitCode, 0);
  EXPECT_EQ(withoutScanTime(readFile(again)), withoutScanTime(readFile(exported)));

  ASSERT_EQ(cat({"--rename-scan", "moved", "--label", "disk"}).exitCode, 0);
  auto ambiguous = cat({"--from-scan", "disk"});
  EXPECT_EQ(ambiguous.exitCode, 2);
  EXPECT_NE(ambiguous.err.find("1, 2"), std::string::npos) << ambiguous.err;
  EXPECT_EQ(cat({"--remove-scan", "2"}).exitCode, 0);
  EXPECT_EQ(lines(cat({"--scans"}).out).size(), 1u);
  EXPECT_EQ(cat({"--find", "two"}).out, "disk\t" + tree.path() + "/a/b/two.txt\n");
  EXPECT_EQ(cat({"--remove-scan", "2"}).exitCode, 2);
}

TEST_F(CliCatalogueTest, DuplicatesByStoredOrFreshDigestAndUnconfirmedOnes) {
  file("x/copy1.bin", "same bytes");
  file("y/copy2.bin", "same bytes");
  file("y/other.bin", "diff bytes");
  file("z/lonely.bin", "just me, no twin");
  add({"--label", "hashed", "--set", "Fields.SHA256=1"});
  file("w/copy3.bin", "same bytes");
  file("w/vanish.bin", "gone bytes");
  add({"--label", "plain"});
  std::filesystem::remove(tree / "w/vanish.bin");
  auto result = cat({"--duplicates"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  const std::string t = tree.path();
  // A file both scans hold is one file, not two copies: "same bytes" is in
  // three places. The vanished file's digest is neither stored nor readable.
  EXPECT_NE(result.out.find("\thashed\t" + t + "/x/copy1.bin\n"), std::string::npos) << result.out;
  EXPECT_NE(result.out.find("\tplain\t" + t + "/w/copy3.bin\n"), std::string::npos) << result.out;
  EXPECT_NE(result.out.find("unconfirmed\t10\n\tplain\t" + t + "/w/vanish.bin\n"),
            std::string::npos)
      << result.out;
  EXPECT_EQ(result.out.find("lonely"), std::string::npos);
  auto onlyHashed = cat({"--duplicates", "--in", "hashed"});
  EXPECT_EQ(lines(onlyHashed.out).size(), 3u) << onlyHashed.out;
}

TEST_F(CliCatalogueTest, NoCatalogueIsRefusedAndLeftAsItIs) {
  file("a.txt", "a");
  const std::string junk = home.writeFile("junk.sqlite", std::string(8192, 'j'));
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"--scans"}, {"--find", "a"}, {"-q", "--add", tree.path()}}) {
    std::vector<std::string> full = {"--catalogue", junk};
    full.insert(full.end(), args.begin(), args.end());
    auto result = run(full);
    EXPECT_EQ(result.exitCode, 2) << args[0];
    EXPECT_NE(result.err.find("no catalogue"), std::string::npos) << result.err;
  }
  EXPECT_EQ(readFile(junk), std::string(8192, 'j'));
  EXPECT_FALSE(std::filesystem::exists(junk + "-wal"));
  auto missing = run({"--catalogue", home / "none.sqlite", "--scans"});
  EXPECT_EQ(missing.exitCode, 2);
  EXPECT_FALSE(std::filesystem::exists(home / "none.sqlite"));
}

TEST_F(CliCatalogueTest, ReadOnlyCatalogueIsExitThreeAndIntact) {
  file("a.txt", "a");
  add();
  ASSERT_EQ(chmod(home.path().c_str(), 0777), 0);
  ASSERT_EQ(chmod(tree.path().c_str(), 0755), 0);
  const std::string before = readFile(catalogue());
  const int asUser = geteuid() == 0 ? 65534 : -1;
  if (asUser == -1) {
    ASSERT_EQ(chmod(catalogue().c_str(), 0444), 0);
  }
  auto result = runProgram(cliPath(), {"-q", "--catalogue", catalogue(), "--add", tree.path()},
                           env(), {}, asUser);
  EXPECT_EQ(result.exitCode, 3) << result.err;
  EXPECT_NE(result.err.find("cannot"), std::string::npos) << result.err;
  EXPECT_EQ(readFile(catalogue()), before);
  // Reading needs no writing.
  auto scans =
      runProgram(cliPath(), {"--catalogue", catalogue(), "--find", "a.txt"}, env(), {}, asUser);
  EXPECT_EQ(scans.exitCode, 0) << scans.err;
}

// A file-size limit stands in for a full disk: the writes fail as they
// would, and the add is rolled back whole.
TEST_F(CliCatalogueTest, FullDiskIsExitThreeAndTheCatalogueKeepsItsScans) {
  file("a.txt", "a");
  add({"--label", "small"});
  for (int i = 0; i < 3000; ++i) {
    file("many/some rather long file name number " + std::to_string(i) + ".txt", "x");
  }
  const std::string script = "trap '' XFSZ; ulimit -f " +
                             std::to_string(std::filesystem::file_size(catalogue()) / 512 + 64) +
                             "; exec \"$0\" \"$@\"";
  auto full = runProgram(
      "/bin/sh", {"-c", script, cliPath(), "-q", "--catalogue", catalogue(), "--add", tree.path()},
      env());
  EXPECT_EQ(full.exitCode, 3) << full.err;
  auto scans = cat({"--scans"});
  EXPECT_EQ(scans.exitCode, 0) << scans.err;
  EXPECT_EQ(lines(scans.out).size(), 1u) << scans.out;
  EXPECT_EQ(cat({"--find", "a.txt"}).exitCode, 0);
  EXPECT_EQ(cat({"--find", "rather long"}).exitCode, 1);
}

}  // namespace
}  // namespace tallyfold::test
