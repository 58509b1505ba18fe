// Display cells of listing texts: wide, fullwidth, combining, zero-width,
// invalid bytes and emoji, and cuts that never split a character.
#include "platform/display_width.h"

#include <gtest/gtest.h>

namespace tallyfold {
namespace {

TEST(DisplayWidth, CellsOfEachKindOfCharacter) {
  EXPECT_EQ(displayWidth(""), 0u);
  EXPECT_EQ(displayWidth("plain name.txt"), 14u);
  EXPECT_EQ(displayWidth("\xe6\x88\xa6\xe5\xa0\xb4"), 4u);  // 戦場
  EXPECT_EQ(displayWidth("\xef\xbc\xa1\xef\xbc\xa2"), 4u);  // ＡＢ fullwidth
  EXPECT_EQ(displayWidth("e\xcc\x81"), 1u);                 // e + combining acute
  EXPECT_EQ(displayWidth("a\xe2\x80\x8b"
                         "b"),
            2u);                                // zero-width space
  EXPECT_EQ(displayWidth("\xe2\x83\x9d"), 0u);  // enclosing circle
  EXPECT_EQ(displayWidth("\xef\xbf\xbd"), 1u);  // U+FFFD
  EXPECT_EQ(displayWidth("a\xff"
                         "b"),
            3u);                                    // invalid byte
  EXPECT_EQ(displayWidth("\xf0\x9f\x98\x80"), 2u);  // emoji
  EXPECT_EQ(displayWidth("\xc2\xb1\xc3\xa9"), 2u);  // ambiguous ±, é
  EXPECT_EQ(displayWidth("\xea\xb0\x80"), 2u);      // Hangul syllable
  EXPECT_EQ(characterWidth(U'\x1161'), 0u);         // joining vowel jamo
}

TEST(DisplayWidth, PrefixesFitTheirCellsWithoutSplittingACharacter) {
  EXPECT_EQ(displayPrefix("abcdef", 3), "abc");
  EXPECT_EQ(displayPrefix("abc", 10), "abc");
  EXPECT_EQ(displayPrefix("abc", 0), "");
  // 戦場の: a wide character that would straddle the cut is left out.
  const std::string wide = "\xe6\x88\xa6\xe5\xa0\xb4\xe3\x81\xae";
  EXPECT_EQ(displayPrefix(wide, 3), wide.substr(0, 3));
  EXPECT_EQ(displayPrefix(wide, 4), wide.substr(0, 6));
  // A mark stays with its character.
  EXPECT_EQ(displayPrefix("e\xcc\x81x", 1), "e\xcc\x81");
  EXPECT_EQ(displayPrefix("a\xff\xfe", 2), "a\xff");
}

}  // namespace
}  // namespace tallyfold
