// The real tallyfold-cli writing each form of a report, end to end, and failing
// cleanly when its output cannot be written.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "support/process.h"
#include "support/temp_dir.h"

namespace tallyfold::test {
namespace {

const std::string kRule(68, '-');
const std::string kHeader =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033{\\fonttbl{\\f0\\fmodern\\fprq1\\fcharset0 "
    "courier new;}{\\f1\\fswiss\\fcharset0 Arial;}}{\\colortbl;\\red0\\green0\\blue0;}"
    "\\viewkind4\\uc1\\pard\\li180\\cf1\\f0\\fs20\\par ";

class CliReportTest : public ::testing::Test {
 protected:
  TempDir home;
  TempDir work;

  void SetUp() override {
    // One folder "T" with notes.txt of 1234 bytes, last modified 5 March 2024.
    std::string file = work.makeSizedFile("T/notes.txt", 1234);
    TempDir::setMtime(file, 1709640000);
  }
  ProcessResult run(std::vector<std::string> args, int dropToUid = -1) const {
    std::map<std::string, std::string> env{{"XDG_CONFIG_HOME", home / "config"},
                                           {"TALLYFOLD_HOME", home / "app"},
                                           {"LC_ALL", "C.UTF-8"},
                                           {"TZ", "UTC"}};
    return runProgram(cliPath(), args, env, work.path(), dropToUid);
  }
};

std::string crlf(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\r\n";
  return text;
}

TEST_F(CliReportTest, RtfIsTheReportDocument) {
  auto result = run({"-q", "T", "-o", "list.rtf"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  std::string row =
      "notes.txt" + std::string(31, ' ') + std::string(8, ' ') + "1 KB  05/03/2024 \\par";
  EXPECT_EQ(
      readFile(work / "list.rtf"),
      crlf({kHeader, kRule, "\\b\\par Directory of T \\par\\b0", kRule + "\\par\\par", row,
            "\\par " + kRule, "\\par 1 file(s) found \\par ", "Total file size 1.21 KB \\par ",
            kRule + " \\par\\par", " \\par \\par \\par }"}));
}

TEST_F(CliReportTest, PlainTextIsWhatThePaneShows) {
  std::string expected = "\n" + kRule + "\nDirectory of T \n" + kRule + "\n\nnotes.txt" +
                         std::string(39, ' ') + "1 KB  05/03/2024 \n\n" + kRule +
                         "\n1 file(s) found \nTotal file size 1.21 KB \n" + kRule + " \n\n \n\n\n";
  auto toFile = run({"-q", "T", "-o", "list.TXT"});
  ASSERT_EQ(toFile.exitCode, 0) << toFile.err;
  EXPECT_EQ(readFile(work / "list.TXT"), expected);
  auto toStdout = run({"-q", "T"});
  ASSERT_EQ(toStdout.exitCode, 0) << toStdout.err;
  EXPECT_EQ(toStdout.out, expected);
}

TEST_F(CliReportTest, HtmlPageFromTheReportLines) {
  auto result = run({"-q", "T", "-o", "list.html", "--font", "Courier New", "--font-size", "9"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  std::string page = readFile(work / "list.html");
  std::string nbsp39;
  for (int i = 0; i < 39; ++i) nbsp39 += "&nbsp;";
  std::string body =
      crlf({kRule + "<br>", "<div class='dir'>Directory&nbsp;of&nbsp;T&nbsp;</div>",
            kRule + "<br><br>", "notes.txt" + nbsp39 + "1&nbsp;KB&nbsp;&nbsp;05/03/2024<br>",
            kRule + "<br>", "1&nbsp;file(s)&nbsp;found&nbsp;<br>",
            "Total&nbsp;file&nbsp;size&nbsp;1.21&nbsp;KB&nbsp;<br>", kRule + "&nbsp;<br><br>"});
  EXPECT_NE(page.find("font-family: 'Courier New', monospace; font-size: 9pt"), std::string::npos)
      << page;
  EXPECT_NE(page.find("<hr><br>\r\n" + body), std::string::npos) << page;
}

TEST_F(CliReportTest, TheExtensionInAnyCasePicksTheFormAsSaveAsDoes) {
  auto rtf = run({"-q", "T", "-o", "LIST.RTF", "--font", "Odd{Font}"});
  ASSERT_EQ(rtf.exitCode, 0) << rtf.err;
  EXPECT_EQ(readFile(work / "LIST.RTF").find("{\\rtf1"), 0u);
  EXPECT_NE(readFile(work / "LIST.RTF").find("\\fcharset0 Odd\\{Font\\};}"), std::string::npos);
  auto page = run({"-q", "T", "-o", "Page.HTM"});
  ASSERT_EQ(page.exitCode, 0) << page.err;
  EXPECT_NE(readFile(work / "Page.HTM").find("white-space: nowrap }"), std::string::npos);
  auto json = run({"-q", "T", "-o", "list.Json"});
  ASSERT_EQ(json.exitCode, 0) << json.err;
  EXPECT_EQ(readFile(work / "list.Json").front(), '{');
  auto unknown = run({"-q", "T", "-o", "list.rtf.bak"});
  EXPECT_EQ(unknown.exitCode, 2);
  EXPECT_NE(unknown.err.find(".rtf, .txt, .htm, .html, .csv or .json"), std::string::npos);
}

TEST_F(CliReportTest, TreeAndFolderListReports) {
  work.writeFile("T/Sub/b.txt", "12");
  auto tree = run({"-q", "-r", "tree", "--set", "Settings.FullPath=0", "T", "-o", "tree.rtf"});
  ASSERT_EQ(tree.exitCode, 0) << tree.err;
  EXPECT_EQ(readFile(work / "tree.rtf"),
            crlf({kHeader, "|-- T\\par ", "|  |-- notes.txt\\par ", "|  \\par ", "|  |-- Sub\\par ",
                  "|  |  |-- b.txt\\par ", " \\par\\par\\par}"}));
  auto folders =
      run({"-q", "-r", "folders", "--set", "Settings.IncludeFullSum=1", "T", "-o", "f.rtf"});
  ASSERT_EQ(folders.exitCode, 0) << folders.err;
  EXPECT_EQ(readFile(work / "f.rtf"),
            crlf({kHeader, "T\\par", "", "T/Sub\\par", "", "\\par\\b Total Summary: \\b0", "",
                  "\\par 2 folder(s) found \\par ", " \\par\\par\\par}"}));
}

TEST_F(CliReportTest, UnwritableOutputExitsThreeAndKeepsTheEarlierFile) {
  std::string earlier = work.writeFile("out/list.rtf", "earlier report");
  ASSERT_EQ(chmod(work.path().c_str(), 0755), 0);
  ASSERT_EQ(chmod((work / "out").c_str(), 0755), 0);
  ASSERT_EQ(chmod(home.path().c_str(), 0777), 0);
  // Only root may write the folder; the program runs as nobody when the test is root.
  int asUser = geteuid() == 0 ? 65534 : -1;
  if (asUser == -1) {
    ASSERT_EQ(chmod((work / "out").c_str(), 0555), 0);
  }
  auto result = run({"-q", "T", "-o", "out/list.rtf"}, asUser);
  EXPECT_EQ(result.exitCode, 3) << result.err;
  EXPECT_FALSE(result.err.empty());
  EXPECT_EQ(readFile(earlier), "earlier report");
  EXPECT_EQ(std::filesystem::directory_iterator(work / "out")->path().filename(), "list.rtf");

  auto missingFolder = run({"-q", "T", "-o", "no/such/folder/list.txt"});
  EXPECT_EQ(missingFolder.exitCode, 3);
}

}  // namespace
}  // namespace tallyfold::test
