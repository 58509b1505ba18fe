#include "report/rtf_frame.h"

#include <gtest/gtest.h>

#include "listing_fixture.h"

namespace tallyfold {
namespace {

using test::kDefaultHeader;

TEST(RtfFrame, HeaderCarriesFontSizeAndColour) {
  EXPECT_EQ(
      buildRtfHeader("Courier New", "10", 0),
      "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033{\\fonttbl{\\f0\\fmodern\\fprq1\\fcharset0 "
      "Courier New;}{\\f1\\fswiss\\fcharset0 Arial;}}{\\colortbl;\\red0\\green0\\blue0;}"
      "\\viewkind4\\uc1\\pard\\li180\\cf1\\f0\\fs20\\par ");
  EXPECT_EQ(buildRtfHeader("courier new", "10", 0), kDefaultHeader);

  std::string coloured = buildRtfHeader("Mono", "12", 0xFF8040);
  EXPECT_NE(coloured.find("{\\colortbl;\\red64\\green128\\blue255;}"), std::string::npos);
  EXPECT_NE(coloured.find("\\fs24\\par "), std::string::npos);
  // A system colour reference still yields components of 0 to 255.
  EXPECT_NE(buildRtfHeader("Mono", "10", 0x80000005).find("\\red5\\green0\\blue0;}"),
            std::string::npos);
}

TEST(RtfFrame, FontSizeTextsThatAreNoNumberCountAsTen) {
  EXPECT_EQ(fontHalfPoints("8.5"), 17);
  EXPECT_EQ(fontHalfPoints(" 12 "), 24);
  EXPECT_EQ(fontHalfPoints("72"), 144);
  for (const char* bad : {"", "abc", "10pt", "-5", "0", "1e3", "8,5", "1.2.3", "99999"}) {
    EXPECT_EQ(fontHalfPoints(bad), 20) << bad;
  }
  EXPECT_NE(buildRtfHeader("Mono", "big", 0).find("\\f0\\fs20\\par "), std::string::npos);
}

TEST(RtfFrame, FontNameCannotBreakTheFontTable) {
  std::string header = buildRtfHeader("Odd{Font};\\x", "10", 0);
  EXPECT_NE(header.find("\\fcharset0 Odd\\{Font\\}\\\\x;}{\\f1"), std::string::npos) << header;
}

TEST(RtfFrame, StyledDocumentsAreWrittenRunByRun) {
  std::string rtf;
  RtfDocumentWriter writer([&rtf](std::string_view text) { rtf += text; });
  writer.begin({"Mono{1}", "Sans"}, {{255, 0, 16}}, 20);
  RtfRunStyle bold;
  bold.bold = true;
  writer.writeRun("a\tb", bold);
  RtfRunStyle styled;
  styled.font = 1;
  styled.halfPoints = 24;
  styled.italic = styled.underline = true;
  styled.colour = 1;
  writer.writeRun("\xE6\x88\xA6{x}", styled);
  writer.endParagraph();
  writer.writeRun("end", RtfRunStyle{});
  writer.end();
  EXPECT_EQ(
      rtf,
      "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033{\\fonttbl"
      "{\\f0\\fmodern\\fprq1\\fcharset0 Mono\\{1\\};}{\\f1\\fmodern\\fprq1\\fcharset0 Sans;}}"
      "{\\colortbl;\\red255\\green0\\blue16;}\\viewkind4\\uc1\\pard\\li180\\f0\\fs20 "
      "{\\plain\\f0\\b\\cf0 a\\tab b}{\\plain\\f1\\fs24\\i\\ul\\cf1 \\u25126?\\{x\\}}\\par\r\n"
      "{\\plain\\f0\\cf0 end}\r\n}");
}

TEST(RtfFrame, EscapingKeepsAsciiAndEscapesEverythingElse) {
  ReportSettings plain;
  EXPECT_EQ(escapeListingText("a{b}c\\d", plain), "a\\{b\\}c\\\\d");
  EXPECT_EQ(escapeListingText("report^1.txt", plain), "report^1.txt");
  EXPECT_EQ(escapeListingText("*?\"`<>~", plain), "*?\"`<>~");
  EXPECT_EQ(escapeListingText("Caf\xC3\xA9.mp3", plain), "Caf\\u233?.mp3");
  // Control characters become one blank each.
  EXPECT_EQ(escapeListingText("two\nlines\tand\x7F"
                              "del",
                              plain),
            "two lines and del");
  // Bytes that are not UTF-8 show as the replacement character.
  EXPECT_EQ(escapeListingText("bad\xFF"
                              "byte",
                              plain),
            "bad\\u-3?byte");
  // Characters beyond the 16-bit range take two escapes (UTF-16 units).
  EXPECT_EQ(escapeListingText("smile\xF0\x9F\x98\x80", plain), "smile\\u-10179?\\u-8704?");
  EXPECT_EQ(escapeListingText("\xE6\x96\x87\xE4\xBB\xB6", plain), "\\u25991?\\u20214?");
  EXPECT_EQ(escapeListingText("\xC2\xBB", plain), "\\u187?");
  EXPECT_EQ(escapeListingText("", plain), "");
}

TEST(RtfFrame, CaseIsFoldedBeforeEscaping) {
  ReportSettings upper;
  upper.listInUpper = 1;
  EXPECT_EQ(escapeListingText("Caf\xC3\xA9.mp3", upper), "CAF\\u201?.MP3");
  EXPECT_EQ(escapeListingText("a{b}c\\d", upper), "A\\{B\\}C\\\\D");

  ReportSettings lower;
  lower.listInLower = 1;
  EXPECT_EQ(escapeListingText("\xC3\x89"
                              "COLE \xC3\x89T\xC3\x89",
                              lower),
            "\\u233?cole \\u233?t\\u233?");
  // The escapes themselves are never folded.
  EXPECT_EQ(escapeListingText("\xC3\xA9", lower), "\\u233?");
}

TEST(RtfFrame, SeparatorIsCountHyphens) {
  EXPECT_EQ(makeSeparator(5), "-----");
  EXPECT_EQ(makeSeparator(-4), "");
}

}  // namespace
}  // namespace tallyfold
