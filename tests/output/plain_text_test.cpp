#include "output/plain_text.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "output/text_lines.h"
#include "platform/text_file.h"
#include "support/temp_dir.h"

namespace tallyfold {
namespace {

// A folder list as the report writes it, with its empty lines and summary.
const std::string kFolderListReport =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033{\\fonttbl{\\f0\\fmodern\\fprq1\\fcharset0 "
    "Courier New;}{\\f1\\fswiss\\fcharset0 Arial;}}{\\colortbl;\\red0\\green0\\blue0;}"
    "\\viewkind4\\uc1\\pard\\li180\\cf1\\f0\\fs20\\par \r\n"
    "/data\\par\r\n"
    "\r\n"
    "/data/caf\\u233?\\par\r\n"
    "\r\n"
    "/data/a\\{1\\}\\\\b\\par\r\n"
    "\r\n"
    "\\par\\b Total Summary: \\b0\r\n"
    "\\par 3 folder(s) found \\par \r\n"
    " \\par\\par\\par}\r\n";

const std::string kFolderListText =
    "\n"
    "/data\n"
    "/data/caf\xC3\xA9\n"
    "/data/a{1}\\b\n"
    "\n"
    "Total Summary: \n"
    "3 folder(s) found \n"
    " \n"
    "\n"
    "\n";

TEST(PlainText, ShowsAReportAsThePaneWould) {
  EXPECT_EQ(rtfToPlainText(kFolderListReport), kFolderListText);
  // Text after the last paragraph end has no line end of its own.
  EXPECT_EQ(rtfToPlainText("{\\rtf1 a\\par b\\tab c}"), "a\nb\tc");

  std::istringstream in(kFolderListReport);
  std::ostringstream out;
  convertRtfToText(in, out);
  EXPECT_EQ(out.str(), kFolderListText);
}

TEST(PlainText, ConvertsAReportFileIntoATextFile) {
  test::TempDir dir;
  std::string report = dir.writeFile("tmpfile.dmp", kFolderListReport);
  std::string text = dir / "list.txt";
  ASSERT_TRUE(saveRtfFileAsText(report, text));
  EXPECT_EQ(test::readFile(text), kFolderListText);

  // A missing source leaves an earlier text file as it was.
  EXPECT_FALSE(saveRtfFileAsText(dir / "none.dmp", text));
  EXPECT_EQ(test::readFile(text), kFolderListText);

  AtomicFileWriter writer(dir / "other.txt");
  ASSERT_TRUE(convertRtfFileToText(report, writer));
  ASSERT_TRUE(writer.commit());
  EXPECT_EQ(test::readFile(dir / "other.txt"), kFolderListText);
}

TEST(TextLines, ReadsEveryKindOfLineEnd) {
  std::string bytes = "a\r\nb\nc\rd\r\r\ne";
  std::istringstream in(bytes);
  TextLineReader reader(in);
  std::vector<std::string> lines;
  for (std::string line; reader.next(line);) lines.push_back(line);
  EXPECT_EQ(lines, (std::vector<std::string>{"a", "b", "c", "d", "", "e"}));

  std::istringstream counted(bytes + "\r\n");
  EXPECT_EQ(countTextLines(counted), 6u);
  std::istringstream empty("");
  EXPECT_EQ(countTextLines(empty), 0u);

  // A CR LF split across the reader's chunks still ends one line.
  std::string longLine(64 * 1024 - 1, 'x');
  std::istringstream split(longLine + "\r\nnext");
  TextLineReader splitReader(split);
  std::string line;
  ASSERT_TRUE(splitReader.next(line));
  EXPECT_EQ(line, longLine);
  ASSERT_TRUE(splitReader.next(line));
  EXPECT_EQ(line, "next");
  EXPECT_FALSE(splitReader.next(line));
}

}  // namespace
}  // namespace tallyfold
