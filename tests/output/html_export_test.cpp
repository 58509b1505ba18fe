#include "output/html_export.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace tallyfold {
namespace {

const std::string kHeaderLine =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033{\\fonttbl{\\f0\\fmodern\\fprq1\\fcharset0 "
    "Courier New;}{\\f1\\fswiss\\fcharset0 Arial;}}{\\colortbl;\\red0\\green0\\blue0;}"
    "\\viewkind4\\uc1\\pard\\li180\\cf1\\f0\\fs20\\par ";

const std::vector<std::string> kHeadLines = {
    "<html><head><title>Tallyfold - www.corvane.com</title>",
    "<meta charset=\"utf-8\">",
    "<style>",
    "<!--",
    ".dir  { font-family: 'Courier New', monospace; font-size: 10pt; font-weight: bold }",
    ".sum  { font-family: 'Courier New', monospace; font-size: 10pt; color:#800000 }",
    ".file { font-family: 'Courier New', monospace; font-size: 10pt; white-space: nowrap }",
    "--></style>",
    "</head><body class=\"file\" nowrap>",
    "<b><font size= 5 >Tallyfold</font><br>",
    "<a href=\"http://www.corvane.com\">www.corvane.com</a></b><hr><br>",
};

// Each report line and what the page shows for it (nothing when dropped).
const std::vector<std::pair<std::string, std::string>> kLineRules = {
    {kHeaderLine, ""},
    {"----------", "----------<br>"},
    {"\\b\\par Directory of /data/a\\}b \\par\\b0",
     "<div class='dir'>Directory&nbsp;of&nbsp;/data/a}b&nbsp;</div>"},
    {"----------\\par\\par", "----------<br><br>"},
    {"a\\}b.txt  1 KB \\par", "a}b.txt&nbsp;&nbsp;1&nbsp;KB<br>"},
    {"caf\\u233?.txt \\par", "caf\xC3\xA9.txt<br>"},
    {"smile\\u-10179?\\u-8704? \\par", "smile\xF0\x9F\x98\x80<br>"},
    {"x<y>&\"z.txt \\par", "x&lt;y&gt;&amp;&quot;z.txt<br>"},
    {"|  |-- sub\\\\dir\\par ", "|&nbsp;&nbsp;|--&nbsp;sub\\dir<br>"},
    {"one\\two \\par", "one\\two<br>"},
    {"\\par ----------", "----------<br>"},
    {"\\par 1 file(s) found \\par ", "1&nbsp;file(s)&nbsp;found&nbsp;<br>"},
    {"Total file size 1 KB \\par ", "Total&nbsp;file&nbsp;size&nbsp;1&nbsp;KB&nbsp;<br>"},
    {"---------- \\par\\par", "----------&nbsp;<br><br>"},
    {"\\par\\b Total Summary: \\b0", "<br><b>Total Summary:</b><br>"},
    {"", "<br>"},
    {"\\par", "<br>"},
    {"abc", "<br>"},
    {"-----x\\par", "-----x<br>"},
    {"------ notes.txt  1 KB \\par", "------&nbsp;notes.txt&nbsp;&nbsp;1&nbsp;KB<br>"},
    {"------x \\par\\par", "------x<br>"},
    {"a\\\\par \\par", "a\\par<br>"},
    {"\\b\\par /tmp/music \\par\\b0", "<div class='dir'>/tmp/music&nbsp;</div>"},
    {"\\b\\par", "<div class='dir'></div>"},
    {"12345678901234567890", "123456789012345<br>"},
    {"/tmp/music\\par", "/tmp/music<br>"},
    {"", "<br>"},
    {"/tmp/end \\par", "/tmp/end&nbsp;<br>"},
    {"", "<br>"},
    {" \\par \\par \\par }", ""},
    {" \\par\\par\\par}", ""},
};

std::vector<std::string> splitCrLf(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(text.substr(start, end - start));
  }
  EXPECT_EQ(start, text.size()) << "the page does not end with CR LF";
  return lines;
}

std::string reportOf(const std::vector<std::pair<std::string, std::string>>& rules) {
  std::string report;
  for (const auto& [line, html] : rules) report += line + "\r\n";
  return report;
}

TEST(HtmlExport, WritesTheHeadTheConvertedLinesAndTheTail) {
  test::TempDir dir;
  std::string report = dir.writeFile("tmpfile.dmp", reportOf(kLineRules));
  std::vector<std::pair<uint64_t, uint64_t>> progress;
  ASSERT_TRUE(
      exportHtml(report, dir / "list.htm", "Courier New", "10", nullptr,
                 [&](uint64_t done, uint64_t total) { progress.emplace_back(done, total); }));

  std::vector<std::string> expected = kHeadLines;
  for (const auto& [line, html] : kLineRules) {
    if (!html.empty()) expected.push_back(html);
  }
  expected.push_back("</body></html>");
  EXPECT_EQ(splitCrLf(test::readFile(dir / "list.htm")), expected);

  ASSERT_EQ(progress.size(), kLineRules.size() + 1);
  EXPECT_EQ(progress.front(), std::make_pair(uint64_t{0}, uint64_t{kLineRules.size()}));
  EXPECT_EQ(progress.back(),
            std::make_pair(uint64_t{kLineRules.size()}, uint64_t{kLineRules.size()}));
}

TEST(HtmlExport, CancelAndFailuresLeaveTheEarlierPage) {
  test::TempDir dir;
  const std::string report = dir.writeFile("tmpfile.dmp", reportOf(kLineRules));
  const std::string page = dir.writeFile("list.htm", "earlier page");
  CancelFlag cancel{false};
  std::string error;
  EXPECT_FALSE(exportHtml(
      report, page, "Courier New", "10", &cancel,
      [&](uint64_t done, uint64_t) { cancel = done >= 3; }, &error));
  EXPECT_EQ(error, "cancelled");
  EXPECT_EQ(test::readFile(page), "earlier page");

  // A full disk says why.
  EXPECT_FALSE(exportHtml(report, "/dev/full", "Courier New", "10", nullptr, {}, &error));
  EXPECT_NE(error.find("No space left on device"), std::string::npos) << error;
}

TEST(HtmlExport, MissingReportGivesTheHeadAlone) {
  test::TempDir dir;
  EXPECT_FALSE(exportHtml(dir / "tmpfile.dmp", dir / "list.html", "Courier New", "10"));
  EXPECT_EQ(splitCrLf(test::readFile(dir / "list.html")), kHeadLines);
  // A page that cannot be written is reported.
  EXPECT_FALSE(exportHtml(dir / "tmpfile.dmp", dir / "no/such/folder/list.htm", "Mono", "10"));
}

TEST(HtmlExport, FontTextsCannotBreakOutOfTheStyleSheet) {
  std::vector<std::string> head =
      htmlHeadLines("Evil'; } </style><script>alert(1)</script>{", "12pt; color: red");
  EXPECT_EQ(head[4],
            ".dir  { font-family: 'Evil  stylescriptalert1script', monospace; font-size: 10pt; "
            "font-weight: bold }");
  EXPECT_EQ(cssFontFamily("  DejaVu Sans_Mono-2 "), "'DejaVu Sans_Mono-2', monospace");
  EXPECT_EQ(cssFontFamily("Noto \xE3\x82\xB4\xE3\x82\xB7\xE3\x83\x83\xE3\x82\xAF"),
            "'Noto \xE3\x82\xB4\xE3\x82\xB7\xE3\x83\x83\xE3\x82\xAF', monospace");
  EXPECT_EQ(cssFontFamily("\"';<>"), "monospace");
  EXPECT_EQ(cssFontSize(" 8.5 "), "8.5");
  EXPECT_EQ(cssFontSize("12"), "12");
  for (std::string_view bad : {"", "0", "-3", "1e3", "8.", ".5", "99999", "8.5.1", "10pt"}) {
    EXPECT_EQ(cssFontSize(bad), "10") << bad;
  }
}

TEST(HtmlExport, EscapesLineText) {
  EXPECT_EQ(toHtmlText("a\\\\b\\c \\{x\\}"), "a\\b\\c&nbsp;{x}");
  EXPECT_EQ(unescapeRtfText("\\u233 x\\u233\\'e9y\\ul z\\u-z"), "\xC3\xA9\xC3\xA9y\\ul z\\u-z");
  EXPECT_EQ(unescapeRtfText("\\u-10179?\\u-10179?\\u-8704?a\\u-8704?"),
            "\xEF\xBF\xBD\xF0\x9F\x98\x80"
            "a\xEF\xBF\xBD");
  // Bytes that are not UTF-8 are read as Windows-1252.
  EXPECT_EQ(toHtmlText("caf\xE9"), "caf\xC3\xA9");
  EXPECT_TRUE(holdsUnescapedClosingBrace("a\\\\}"));
  EXPECT_FALSE(holdsUnescapedClosingBrace("a\\}b\\\\\\}"));
}

}  // namespace
}  // namespace tallyfold
