// Wide characters in the listing pane: a name in CJK takes two cells a
// character, so a column after it starts where the report's display widths
// put it, in the listing font the user chose.

#include <gtest/gtest.h>

#include <QFontMetricsF>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <fstream>

#include "gui/listing_font.h"
#include "gui/listing_pane.h"
#include "gui_fixture.h"

namespace tallyfold::test {
namespace {

class WideCharactersTest : public GuiTest {};

// Where on screen the text of a line reaches after so many characters.
qreal xAfter(QPlainTextEdit& pane, int line, int characters) {
  QTextCursor cursor(pane.document()->findBlockByNumber(line));
  cursor.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, characters);
  return pane.cursorRect(cursor).x();
}

TEST_F(WideCharactersTest, EachWideCharacterTakesTwoCellsOfTheListingFont) {
  ASSERT_FALSE(gui::wideFallbackFamily().isEmpty()) << "fonts-noto-cjk is not installed";
  EXPECT_TRUE(gui::isWideCharacter(U'\u6226'));
  EXPECT_TRUE(gui::isWideCharacter(U'\uFF21'));  // fullwidth A
  EXPECT_TRUE(gui::isWideCharacter(U'\uD55C'));  // Hangul
  EXPECT_FALSE(gui::isWideCharacter(U'a'));
  EXPECT_FALSE(gui::isWideCharacter(U'\uFF76'));  // halfwidth katakana

  const std::string path = root / "wide.rtf";
  // Twelve wide characters are 24 cells, as are the 24 letters below them.
  std::ofstream(path) << "{\\rtf1\\ansi{\\fonttbl{\\f0 Courier New;}}\\f0\\fs20 "
                         "01 \\u25126?\\u22580?\\u12398?\\u12513?\\u12522?\\u12540?"
                         "\\u12463?\\u12522?\\u12473?\\u12510?\\u12473?\\u12288?.mp3 1 KB\\par "
                         "02 abcdefghijklmnopqrstuvwx.mp3 1 KB\\par "
                         "03 \\u54620?\\u44397?\\u50612?abcdef.mp3 1 KB\\par}";
  gui::ListingPane pane(nullptr);
  pane.resize(900, 300);
  pane.show();
  bool loaded = false;
  QObject::connect(&pane, &gui::ListingPane::loadFinished, [&] { loaded = true; });
  pane.loadReport(path);
  ASSERT_TRUE(waitUntil([&] { return loaded; }));
  ASSERT_EQ(pane.document()->findBlockByNumber(0).text().size(), 3 + 12 + 9);

  const qreal cell = (xAfter(pane, 1, 27) - xAfter(pane, 1, 3)) / 24;
  EXPECT_GT(cell, 4);
  EXPECT_NEAR(xAfter(pane, 0, 3), xAfter(pane, 1, 3), 0.5);
  EXPECT_NEAR(xAfter(pane, 0, 15), xAfter(pane, 1, 27), 1.0);  // after the wide name
  EXPECT_NEAR(xAfter(pane, 0, 24), xAfter(pane, 1, 36), 1.0);  // the size column
  // Hangul after digits: the digits keep the listing font, the syllables
  // (a little narrower than ideographs in the face) take two cells each.
  EXPECT_NEAR(xAfter(pane, 2, 3), xAfter(pane, 1, 3), 0.5);
  EXPECT_NEAR(xAfter(pane, 2, 6), xAfter(pane, 1, 9), 1.0);
  EXPECT_NEAR(xAfter(pane, 2, 16), xAfter(pane, 1, 19), 1.0);
}

}  // namespace
}  // namespace tallyfold::test
