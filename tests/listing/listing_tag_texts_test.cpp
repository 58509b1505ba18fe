// The tag texts of the CSV and JSON listings, written by the real program of
// real tagged files: whole however long, and one line whichever tag format
// held a line break or an escape.
#include <gtest/gtest.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>

#include "cli/cli_fixture.h"

namespace tallyfold {
namespace {

// The 128-byte ID3v1 record with the given title and comment fields.
std::string id3v1Record(std::string_view title, std::string_view comment) {
  std::string record = "TAG" + std::string(125, '\0');
  record.replace(3, title.size(), title);
  record.replace(93, 4, "1999");
  record.replace(97, comment.size(), comment);
  record[127] = 8;  // Jazz
  return record;
}

class ListingTagTextsTest : public test::CliFixture {
 protected:
  std::string listing(const std::string& extension) {
    const std::string out = home / ("listing." + extension);
    const test::ProcessResult result =
        run({"-q", "--set", "Fields.Title=1", "--set", "Fields.Comment=1", "--set",
             "Fields.Genre=1", "-o", out, tree.path()});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    return test::readFile(out);
  }
};

TEST_F(ListingTagTextsTest, TagTextsAreWholeAndOnOneLine) {
  const std::string comment = "A comment of sixty characters, twice the width of the column";
  ASSERT_EQ(comment.size(), 60u);
  const std::string title = "A title that runs on past the thirty cells of the detailed list";
  const std::string path = tree.writeFile("new.mp3", std::string(500, '\0'));
  {
    TagLib::MPEG::File file(path.c_str(), false);
    file.ID3v2Tag(true)->setTitle(title);
    file.ID3v2Tag(true)->setComment(comment);
    file.ID3v2Tag(true)->setGenre("Electronic");
    ASSERT_TRUE(file.save(TagLib::MPEG::File::ID3v2));
  }
  tree.writeFile("old.mp3", std::string(300, '\0') + id3v1Record("one\ntwo", "esc\x1b[1mbold"));

  const std::string csv = listing("csv");
  EXPECT_NE(csv.find("," + title + ",Electronic,\"" + comment + "\","), std::string::npos) << csv;
  EXPECT_NE(csv.find(",one two,Jazz,esc [1mbold,"), std::string::npos) << csv;
  EXPECT_EQ(csv.find('\x1b'), std::string::npos);

  const std::string json = listing("json");
  EXPECT_NE(json.find("\"title\":\"" + title + "\""), std::string::npos) << json;
  EXPECT_NE(json.find("\"comment\":\"" + comment + "\""), std::string::npos) << json;
  EXPECT_NE(json.find("\"title\":\"one two\""), std::string::npos) << json;
  EXPECT_NE(json.find("\"comment\":\"esc [1mbold\""), std::string::npos) << json;
}

}  // namespace
}  // namespace tallyfold
