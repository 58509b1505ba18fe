#include "output/rtf_reader.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <utility>

#include "platform/utf8_text.h"
#include "support/temp_dir.h"

namespace tallyfold {
namespace {

const std::string kHeader =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033{\\fonttbl{\\f0\\fmodern\\fprq1\\fcharset0 "
    "Courier New;}{\\f1\\fswiss\\fcharset0 Arial;}}{\\colortbl;\\red128\\green0\\blue255;}"
    "\\viewkind4\\uc1\\pard\\li180\\cf1\\f0\\fs20\\par ";

std::string allText(std::string_view rtf) {
  std::string text;
  for (const RtfParagraph& p : parseRtf(rtf)) text += p.text() + (p.ended ? "|" : "");
  return text;
}

// The texts of a whole report are checked where it is shown as plain text.
TEST(RtfReader, ReadsTheStylesOfAReportDocument) {
  const std::vector<RtfParagraph> paragraphs =
      parseRtf(kHeader +
               "\r\n----------\r\n\\b\\par Directory of /data \\par\\b0\r\n"
               "----------\\par\\par\r\n");
  EXPECT_EQ(paragraphs.at(2).text(), "Directory of /data ");
  RtfStyle heading;
  heading.bold = true;
  heading.fontName = "Courier New";
  heading.halfPoints = 20;
  heading.colourIndex = 1;
  heading.colour = RtfColour{128, 0, 255};
  EXPECT_EQ(paragraphs[2].runs.at(0).style, heading);
  heading.bold = false;
  EXPECT_EQ(paragraphs.at(3).runs.at(0).style, heading);
}

TEST(RtfReader, SwitchesCharacterFormatting) {
  std::string doc =
      "{\\rtf1{\\fonttbl{\\f0 Mono;}{\\f1\\fnil Sans {\\*\\panose 0203}\\'e9;}}"
      "{\\colortbl;\\red1\\green2\\blue3;\\red255\\green255\\blue255;}"
      "a{\\b b\\b0 c}{\\i d\\i0}{\\ul e\\ulnone f\\ul g\\ul0 h}{\\uldb i}"
      "\\cf2 j\\cf7 k\\f1 l\\fs30 m\\plain n}";
  std::vector<RtfParagraph> paragraphs = parseRtf(doc);
  ASSERT_EQ(paragraphs.size(), 1u);
  EXPECT_FALSE(paragraphs[0].ended);
  std::map<std::string, RtfStyle> styleOf;
  for (const RtfRun& run : paragraphs[0].runs) {
    for (char c : run.text) styleOf[std::string(1, c)] = run.style;
  }
  EXPECT_EQ(paragraphs[0].text(), "abcdefghijklmn");
  EXPECT_TRUE(styleOf["b"].bold);
  EXPECT_FALSE(styleOf["c"].bold);
  EXPECT_TRUE(styleOf["d"].italic);
  EXPECT_TRUE(styleOf["e"].underline);
  EXPECT_FALSE(styleOf["f"].underline);
  EXPECT_TRUE(styleOf["g"].underline);
  EXPECT_FALSE(styleOf["h"].underline);
  EXPECT_TRUE(styleOf["i"].underline);
  EXPECT_EQ(styleOf["j"].colour, (RtfColour{255, 255, 255}));
  EXPECT_FALSE(styleOf["k"].colour.has_value());  // no such entry: automatic colour
  EXPECT_EQ(styleOf["k"].colourIndex, 7);
  EXPECT_EQ(styleOf["l"].fontName, "Sans \xC3\xA9");
  EXPECT_EQ(styleOf["m"].halfPoints, 30);
  RtfStyle plain;
  plain.fontName = "Mono";
  EXPECT_EQ(styleOf["n"], plain);
}

TEST(RtfReader, DecodesEscapesSymbolsAndCharacters) {
  EXPECT_EQ(allText("\\{\\}\\\\"), "{}\\");
  EXPECT_EQ(allText("\\'e9\\'80\\'8d\\'4"), "\xC3\xA9\xE2\x82\xAC\xC2\x8D\x04");
  EXPECT_EQ(allText("a\\~b\\_c\\-d\\tab e\\line f"),
            "a\xC2\xA0"
            "b\xE2\x80\x91"
            "cd\te\nf");
  EXPECT_EQ(allText("a\r\nb\\\nc"), "ab|c");
  // One blank after a control word is its delimiter; a "-" without digits is text.
  EXPECT_EQ(allText("\\b x\\b  y\\b-z"), "x y-z");
  // Raw UTF-8 passes; a byte that is not UTF-8 is read as Windows-1252.
  EXPECT_EQ(allText("caf\xC3\xA9 caf\xE9 \x80"), "caf\xC3\xA9 caf\xC3\xA9 \xE2\x82\xAC");
  // Unicode with fallbacks of any \uc length, signed or unsigned values.
  EXPECT_EQ(allText("\\u233?x\\uc0\\u233 y\\uc2\\u233??z\\uc1\\u233\\'e9w"),
            "\xC3\xA9x\xC3\xA9y\xC3\xA9z\xC3\xA9w");
  EXPECT_EQ(allText("\\u55357?\\u56832?\\u-10179?\\u-8704?"), "\xF0\x9F\x98\x80\xF0\x9F\x98\x80");
  // Lone halves of a pair become U+FFFD.
  EXPECT_EQ(allText("\\u-10179?x\\u-8704?y\\u-10179?\\u-10179?\\u-8704?\\u-10179?"),
            "\xEF\xBF\xBDx\xEF\xBF\xBDy\xEF\xBF\xBD\xF0\x9F\x98\x80\xEF\xBF\xBD");
  // A fallback written in UTF-8 counts as one character.
  EXPECT_EQ(allText("\\u233\xC3\xA9x"), "\xC3\xA9x");
  // Destinations that are not text.
  EXPECT_EQ(allText("{\\*\\generator Riched20 10.0;}{\\info{\\title T}}{\\*\\x {n} t}a"
                    "{\\pict 01ab\\bin3 {}\\}b{\\*\\y c\\\nd\\par}"),
            "ab");
  EXPECT_EQ(allText("\\emdash\\lquote\\rdblquote"), "\xE2\x80\x94\xE2\x80\x98\xE2\x80\x9D");
}

TEST(RtfReader, SurvivesMalformedDocuments) {
  // Truncated in the middle of a control word, a parameter, a hex escape.
  for (const char* cut :
       {"{\\rtf1 abc\\pa", "{\\rtf1 abc\\fs2", "{\\rtf1 abc\\'", "{\\rtf1 abc\\"}) {
    EXPECT_EQ(allText(cut), "abc") << cut;
  }
  EXPECT_EQ(allText("{\\rtf1 abc\xC3"), "abc\xC3\x83");
  // Braces unbalanced both ways.
  std::vector<RtfParagraph> extraClose = parseRtf("{\\rtf1 {\\b bold} plain}}}} after\\par");
  ASSERT_EQ(extraClose.size(), 1u);
  EXPECT_EQ(extraClose[0].text(), "bold plain after");
  EXPECT_TRUE(extraClose[0].runs[0].style.bold);
  EXPECT_FALSE(extraClose[0].runs[1].style.bold);
  EXPECT_EQ(allText("{\\rtf1 {{{\\b deep text"), "deep text");
  // Numbers far beyond any range.
  EXPECT_EQ(allText("\\fs99999999999999999999 x\\u99999999999999?y\\cf-99999999999 z\\uc-5 w"),
            "x\xEF\xBF\xBDyzw");
  // Nesting far deeper than the tracked depth.
  std::string deep = "{\\rtf1 {\\b " + std::string(100000, '{') + "deep" +
                     std::string(100000, '}') + "} plain{" + std::string(2000, '{') + "\\i x" +
                     std::string(2000, '}') + "y}\\par}";
  std::vector<RtfParagraph> nested = parseRtf(deep);
  ASSERT_EQ(nested.size(), 1u);
  EXPECT_EQ(nested[0].text(), "deep plainxy");
  for (const RtfRun& run : nested[0].runs) {
    EXPECT_EQ(run.style.bold, run.text == "deep") << run.text;
    EXPECT_EQ(run.style.italic, run.text == "x") << run.text;
  }
  // Binary garbage: whatever comes out is valid UTF-8.
  std::string garbage(1 << 20, '\0');
  uint32_t state = 12345;
  for (char& c : garbage) {
    state = state * 1103515245u + 12345u;
    c = static_cast<char>(state >> 24);
  }
  size_t pieces = 0;
  for (const RtfParagraph& p : parseRtf(garbage)) {
    EXPECT_TRUE(isValidUtf8(p.text()));
    ++pieces;
  }
  EXPECT_GT(pieces, 0u);
}

class PieceRecorder : public RtfHandler {
 public:
  void onText(std::string_view utf8, const RtfStyle&) override {
    text += utf8;
    largestPiece = std::max(largestPiece, utf8.size());
  }
  void onParagraphEnd() override { text += "\n"; }
  std::string text;
  size_t largestPiece = 0;
};

TEST(RtfReader, StreamsAFileInBoundedPieces) {
  test::TempDir dir;
  std::string body;
  for (int i = 0; i < 200000; ++i) body += "caf\\u233? line " + std::to_string(i) + " ";
  std::string path = dir.writeFile("long.rtf", kHeader + body + "\\par }");

  PieceRecorder fromFile;
  ASSERT_TRUE(readRtfFile(path, fromFile));
  PieceRecorder fromMemory;
  readRtf(kHeader + body + "\\par }", fromMemory);
  EXPECT_EQ(fromFile.text, fromMemory.text);
  EXPECT_GT(fromFile.text.size(), 3'000'000u);
  // One paragraph of megabytes still arrives in pieces of bounded size.
  EXPECT_LE(fromFile.largestPiece, 64u * 1024 + 4);

  PieceRecorder missing;
  EXPECT_FALSE(readRtfFile(dir / "none.rtf", missing));
}

// The runs of a document read from memory and read from a stream, in chunks,
// the style of each character in reading order.
std::vector<std::pair<std::string, RtfStyle>> runsOf(const std::string& document, bool chunked) {
  std::vector<RtfParagraph> paragraphs;
  if (chunked) {
    std::istringstream in(document);
    struct Collector : RtfHandler {
      std::vector<RtfParagraph> paragraphs{1};
      void onText(std::string_view utf8, const RtfStyle& style) override {
        std::vector<RtfRun>& runs = paragraphs.back().runs;
        if (!runs.empty() && runs.back().style == style) {
          runs.back().text += utf8;
        } else {
          runs.push_back(RtfRun{std::string(utf8), style});
        }
      }
      void onParagraphEnd() override { paragraphs.emplace_back(); }
    } collector;
    readRtf(in, collector);
    paragraphs = std::move(collector.paragraphs);
  } else {
    paragraphs = parseRtf(document);
  }
  std::vector<std::pair<std::string, RtfStyle>> runs;
  for (const RtfParagraph& paragraph : paragraphs) {
    for (const RtfRun& run : paragraph.runs) runs.emplace_back(run.text, run.style);
  }
  return runs;
}

TEST(RtfReader, TablesNameOnlyTheTextReadAfterThem) {
  const std::string late =
      "{\\rtf1\\f1\\cf1 before{\\fonttbl{\\f1 Late;}}{\\colortbl;\\red9\\green8\\blue7;}after}";
  const auto runs = runsOf(late, false);
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[0].first, "before");
  EXPECT_EQ(runs[0].second.fontName, "");
  EXPECT_FALSE(runs[0].second.colour.has_value());
  EXPECT_EQ(runs[1].first, "after");
  EXPECT_EQ(runs[1].second.fontName, "Late");
  EXPECT_EQ(runs[1].second.colour, (RtfColour{9, 8, 7}));

  // Text longer than the stream's chunks before a late table: both readers
  // give the same runs.
  const std::string text(150000, 'a');
  const std::string document = "{\\rtf1\\f1 " + text + "{\\fonttbl{\\f1 Late;}}b\\par " + text +
                               "\\u233?{\\fonttbl{\\f1 Later;}}c}";
  const auto whole = runsOf(document, false), chunked = runsOf(document, true);
  EXPECT_EQ(whole, chunked);
  ASSERT_EQ(whole.size(), 4u);
  EXPECT_EQ(whole[0], std::make_pair(text, whole[0].second));
  EXPECT_EQ(whole[0].second.fontName, "");
  EXPECT_EQ(whole[1].first, "b");
  EXPECT_EQ(whole[2].first, text + "\xC3\xA9");
  EXPECT_EQ(whole[2].second.fontName, "Late");
  EXPECT_EQ(whole[3].second.fontName, "Later");
}

}  // namespace
}  // namespace tallyfold
