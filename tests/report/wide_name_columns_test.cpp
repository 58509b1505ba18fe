// Names and tags in wide, fullwidth, combining and zero-width characters, and
// bytes that are not UTF-8, line up with plain ones in the plain text of every
// report type: each column starts at the same display cell on every row.
#include <gtest/gtest.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>

#include <regex>
#include <set>
#include <sstream>

#include "cli/cli_fixture.h"
#include "platform/display_width.h"

namespace tallyfold {
namespace {

const char* const kWideNames[] = {
    "01 \xe6\x88\xa6\xe5\xa0\xb4\xe3\x81\xae\xe3\x83\xa1\xe3\x83\xaa\xe3\x83\xbc\xe3\x82\xaf"
    "\xe3\x83\xaa\xe3\x82\xb9\xe3\x83\x9e\xe3\x82\xb9.txt",  // 01 戦場のメリークリスマス
    "\xef\xbc\xa1\xef\xbc\xa2\xef\xbc\xa3 fullwidth.txt",    // ＡＢＣ
    "cafe\xcc\x81.txt",                                      // e and a combining acute
    "zero\xe2\x80\x8bwidth.txt",                             // a zero-width space
    "bad\xff.txt",                                           // shown as U+FFFD
    "\xf0\x9f\x98\x80 smile.txt",                            // an emoji
    "plain.txt",
    // Wider than the name column: cut to fit, "..." after it.
    "\xe9\x95\xb7\xe3\x81\x84\xe5\x90\x8d\xe5\x89\x8d\xe9\x95\xb7\xe3\x81\x84\xe5\x90\x8d"
    "\xe5\x89\x8d\xe9\x95\xb7\xe3\x81\x84\xe5\x90\x8d\xe5\x89\x8d\xe9\x95\xb7\xe3\x81\x84"
    "\xe5\x90\x8d\xe5\x89\x8d\xe9\x95\xb7\xe3\x81\x84.txt",
};

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The display cell at which the first match of pattern starts, per line that
// has one.
std::vector<size_t> cellsWhere(const std::vector<std::string>& lines, const std::regex& pattern) {
  std::vector<size_t> cells;
  for (const std::string& line : lines) {
    std::smatch match;
    if (std::regex_search(line, match, pattern)) {
      cells.push_back(displayWidth(line.substr(0, static_cast<size_t>(match.position(0)))));
    }
  }
  return cells;
}

std::set<size_t> distinct(const std::vector<size_t>& values) {
  return {values.begin(), values.end()};
}

class WideNameColumnsTest : public test::CliFixture {
 protected:
  void SetUp() override {
    for (const char* name : kWideNames) tree.writeFile(std::string("music/") + name, "12345");
  }

  void writeTaggedSong(const std::string& name, const std::string& title, const std::string& genre,
                       const std::string& comment) {
    const std::string path = tree.writeFile("music/" + name, std::string(400, '\0'));
    TagLib::MPEG::File file(path.c_str(), false);
    TagLib::ID3v2::Tag* tag = file.ID3v2Tag(true);
    tag->setTitle(TagLib::String(title, TagLib::String::UTF8));
    tag->setYear(1999);
    tag->setGenre(genre);
    tag->setComment(comment);
    ASSERT_TRUE(file.save(TagLib::MPEG::File::ID3v2));
  }

  std::vector<std::string> report(const std::string& type, std::vector<std::string> extra = {}) {
    std::vector<std::string> args = {"-q", "-r", type, "--set", "Settings.ColSize=30"};
    args.insert(args.end(), extra.begin(), extra.end());
    args.push_back(tree / "music");
    const test::ProcessResult result = run(args);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    return linesOf(result.out);
  }
};

TEST_F(WideNameColumnsTest, DetailedListColumnsStartAtOneCell) {
  const std::vector<std::string> lines = report("details");
  const std::vector<size_t> dates = cellsWhere(lines, std::regex(R"(\d\d/\d\d/\d{4})"));
  ASSERT_EQ(dates.size(), std::size(kWideNames));
  EXPECT_EQ(distinct(dates).size(), 1u) << "date columns start at different cells";
  // The name too wide for the column is cut whole-character, "..." after it.
  const std::vector<size_t> cuts = cellsWhere(lines, std::regex(R"(\.\.\.)"));
  ASSERT_EQ(cuts.size(), 1u);
  EXPECT_LE(cuts[0] + 3, 30u);
  EXPECT_GE(cuts[0] + 3, 29u);
}

TEST_F(WideNameColumnsTest, TagColumnsAndTheGenreKeepTheirCells) {
  writeTaggedSong("02 wide.mp3",
                  "\xe6\x88\xa6\xe5\xa0\xb4\xe3\x81\xae\xe3\x83\xa1\xe3\x83\xaa\xe3\x83\xbc",
                  "Jazz", "c-one");
  writeTaggedSong("03 plain.mp3", "Plain title", "Electronic", "c-two");
  const std::vector<std::string> lines =
      report("details", {"--set", "Fields.Title=1", "--set", "Fields.Year=1", "--set",
                         "Fields.Genre=1", "--set", "Fields.Comment=1"});
  const std::vector<size_t> years = cellsWhere(lines, std::regex("1999"));
  ASSERT_EQ(years.size(), 2u);
  EXPECT_EQ(years[0], years[1]);
  const std::vector<size_t> comments = cellsWhere(lines, std::regex("c-(one|two)"));
  ASSERT_EQ(comments.size(), 2u);
  EXPECT_EQ(comments[0], comments[1]) << "the genre shifts the comment";
  const std::vector<size_t> dates = cellsWhere(lines, std::regex(R"(\d\d/\d\d/\d{4})"));
  EXPECT_EQ(distinct(dates).size(), 1u);
}

TEST_F(WideNameColumnsTest, TreeViewsCutAndAlignByCells) {
  // Column size 30: the tree is 44 cells wide, the sizes end 12 cells on.
  const std::vector<std::string> sized = report("tree-size");
  std::vector<size_t> sizeEnds;
  for (const std::string& line : sized) {
    if (line.find(" KB") != std::string::npos) sizeEnds.push_back(displayWidth(line));
  }
  ASSERT_EQ(sizeEnds.size(), std::size(kWideNames));
  EXPECT_EQ(distinct(sizeEnds), std::set<size_t>{44 + 12 + 1});

  const std::vector<std::string> plain = report("tree");
  size_t cut = 0;
  for (const std::string& line : plain) {
    EXPECT_LE(displayWidth(line), 44u + 1) << line;
    if (line.find("...") != std::string::npos) {
      ++cut;
      EXPECT_GE(displayWidth(line), 43u) << line;
    }
  }
  EXPECT_EQ(cut, 1u);
}

TEST_F(WideNameColumnsTest, FolderListShowsWideFolderNamesWhole) {
  const std::string folder = "\xe6\x88\xa6\xe5\xa0\xb4 \xef\xbc\xa1";
  tree.writeFile("music/" + folder + "/x.txt");
  const std::vector<std::string> lines = report("folders");
  bool found = false;
  for (const std::string& line : lines) found = found || line.find(folder) != std::string::npos;
  EXPECT_TRUE(found);
}

}  // namespace
}  // namespace tallyfold
