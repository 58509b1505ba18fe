// The lossless name encodings of the listings: surrogate escapes in JSON,
// percent escapes in the CSV raw columns.

#include "listing/name_bytes.h"

#include <gtest/gtest.h>

namespace tallyfold {
namespace {

std::string jsonString(std::string_view text) {
  std::string out;
  appendJsonString(out, text);
  return out;
}

TEST(NameBytesTest, JsonEscapesControlsQuotesAndInvalidBytes) {
  EXPECT_EQ(jsonString("plain"), "\"plain\"");
  EXPECT_EQ(jsonString("a\"b\\c\nd\x01"), R"("a\"b\\c\u000ad\u0001")");
  EXPECT_EQ(jsonString("caf\xC3\xA9"), "\"caf\xC3\xA9\"");
  EXPECT_EQ(jsonString("bad\xFF\xC3"), R"("bad\udcff\udcc3")");
  // A surrogate's own UTF-8 form is no valid UTF-8: each byte is escaped.
  EXPECT_EQ(jsonString("\xED\xB2\x80"), R"("\udced\udcb2\udc80")");
}

TEST(NameBytesTest, ParsedSurrogatesGiveTheBytesBack) {
  // What a parser makes of \udc80..\udcff: their three-byte forms.
  std::string parsed = "a\xED\xB2\x80z\xED\xB3\xBF";
  restoreEscapedBytes(parsed);
  EXPECT_EQ(parsed, "a\x80z\xFF");
  std::string valid = "\xED\x9F\xBF caf\xC3\xA9";  // U+D7FF stays
  restoreEscapedBytes(valid);
  EXPECT_EQ(valid, "\xED\x9F\xBF caf\xC3\xA9");
}

TEST(NameBytesTest, PercentEscapesOnlyTextsThatAreNotUtf8) {
  EXPECT_EQ(percentEscapedBytes("100% caf\xC3\xA9"), "");
  EXPECT_EQ(percentEscapedBytes("100% \xFF"), "100%25 %FF");
  EXPECT_EQ(percentEscapedBytes("\xC3\xA9\xC3"), "\xC3\xA9%C3");
  EXPECT_EQ(readableUtf8("a\xFF"), "a\xEF\xBF\xBD");
  EXPECT_EQ(readableUtf8("\xEF\xBF\xBD"), "\xEF\xBF\xBD");
}

}  // namespace
}  // namespace tallyfold
