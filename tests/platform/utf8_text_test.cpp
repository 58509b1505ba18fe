#include "platform/utf8_text.h"

#include <gtest/gtest.h>

#include <vector>

namespace tallyfold {
namespace {

std::vector<char32_t> decodeAll(std::string_view text) {
  std::vector<char32_t> codes;
  for (size_t pos = 0; pos < text.size();) codes.push_back(decodeUtf8(text, pos));
  return codes;
}

TEST(Utf8Text, DecodesValidSequencesAndOneReplacementPerInvalidByte) {
  using Codes = std::vector<char32_t>;
  EXPECT_EQ(decodeAll("a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"),
            (Codes{'a', 0xE9, 0x20AC, 0x1F600}));
  EXPECT_EQ(decodeAll("\xC0\xAF"), (Codes{0xFFFD, 0xFFFD}));              // overlong "/"
  EXPECT_EQ(decodeAll("\xE0\x80\xAF"), (Codes{0xFFFD, 0xFFFD, 0xFFFD}));  // overlong
  EXPECT_EQ(decodeAll("\xED\xA0\x80"), (Codes{0xFFFD, 0xFFFD, 0xFFFD}));  // surrogate
  EXPECT_EQ(decodeAll("\xF4\x90\x80\x80"), (Codes(4, 0xFFFD)));           // above U+10FFFF
  EXPECT_EQ(decodeAll("\xE2\x82"), (Codes{0xFFFD, 0xFFFD}));              // truncated
  EXPECT_EQ(decodeAll("\xFF"
                      "b"),
            (Codes{0xFFFD, 'b'}));
  EXPECT_EQ(decodeAll("\xEF\xBF\xBD"), (Codes{0xFFFD}));  // a real U+FFFD is one character

  EXPECT_TRUE(isValidUtf8("plain \xC3\xA9\xF4\x8F\xBF\xBF"));
  EXPECT_TRUE(isValidUtf8(""));
  EXPECT_FALSE(isValidUtf8("a\xC3"));
  EXPECT_FALSE(isValidUtf8("\xED\xBF\xBF"));
}

TEST(Utf8Text, AppendsEveryCodePointAndReplacesImpossibleOnes) {
  std::string out;
  for (char32_t c : {U'A', U'\u00E9', U'\u20AC', U'\U0001F600'}) appendUtf8(out, c);
  EXPECT_EQ(out, "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
  out.clear();
  appendUtf8(out, 0xD800);
  appendUtf8(out, 0x110000);
  EXPECT_EQ(out, "\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(Utf8Text, CountsCharacters) {
  EXPECT_EQ(utf8Length("a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"), 4u);
  EXPECT_EQ(utf8Length("a\xFF\xC3"), 3u);
  EXPECT_EQ(utf8Length(""), 0u);
}

TEST(Utf8Text, MapsCaseCharacterByCharacterAndKeepsInvalidBytes) {
  EXPECT_EQ(toLowerUtf8("Tallyfold-README.TXT"), "tallyfold-readme.txt");
  EXPECT_EQ(toUpperUtf8("tallyfold-readme.txt"), "TALLYFOLD-README.TXT");
  EXPECT_EQ(toLowerUtf8("\xC3\x84RGER \xCE\xA3\xCE\x91\xCE\xA3"),
            "\xC3\xA4rger \xCF\x83\xCE\xB1\xCF\x83");
  EXPECT_EQ(toUpperUtf8("\xC3\xA4rger \xD0\xB4\xD0\xBE\xD0\xBC"),
            "\xC3\x84RGER \xD0\x94\xD0\x9E\xD0\x9C");
  // One character to one character: the sharp s stays as it is.
  EXPECT_EQ(toUpperUtf8("stra\xC3\x9F"
                        "e"),
            "STRA\xC3\x9F"
            "E");
  EXPECT_EQ(toLowerUtf8("A\xC3(B\xFF\xE2\x82"), "a\xC3(b\xFF\xE2\x82");
  EXPECT_EQ(toUpperUtf8("\xED\xA0\x80x\xC3\xA9"), "\xED\xA0\x80X\xC3\x89");
}

}  // namespace
}  // namespace tallyfold
