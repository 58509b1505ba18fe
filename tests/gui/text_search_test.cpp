// The Find window's matching rule on real documents: within a line, case,
// whole words, no-break spaces, and the left-to-right, non-overlapping order
// that Replace All relies on.

#include <gtest/gtest.h>

#include <QTextDocument>

#include "gui/text_search.h"
#include "gui_fixture.h"

namespace tallyfold::test {
namespace {

using gui::findAllMatches;
using gui::findNextMatch;
using gui::TextSearch;

std::vector<int> allOf(const QString& text, const TextSearch& search) {
  QTextDocument document(text);
  document.setPlainText(text);
  return findAllMatches(document, search);
}

TEST(TextSearch, MatchesFollowTheCaseWordAndLineRules) {
  application();
  struct Case {
    const char* text;
    TextSearch search;
    std::vector<int> starts;
  };
  const Case cases[] = {
      {"Dir dir directory", {"dir"}, {0, 4, 8}},
      {"Dir dir directory", {"dir", true}, {4, 8}},
      {"Dir dir directory", {"dir", false, true}, {0, 4}},
      // A rejected candidate does not hide a whole word that starts inside it.
      {"xa a a", {"a a", false, true}, {3}},
      {"a1 a_ a", {"a", false, true}, {3, 6}},
      // Matches never overlap; the next is searched for behind the last.
      {"aaaa", {"aa"}, {0, 2}},
      {"aaa", {"aa"}, {0}},
      // A match lies within one line.
      {"ab\ncd", {"bc"}, {}},
      {"ab\nab", {"ab"}, {0, 3}},
      {"a\u00A0b", {"a b"}, {0}},
      {"anything", {""}, {}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(allOf(QString::fromUtf8(c.text), c.search), c.starts)
        << c.text << " / " << c.search.what.toStdString();
}

TEST(TextSearch, NextMatchStartsAtThePositionAndGoesOnOverLines) {
  application();
  QTextDocument document;
  document.setPlainText("cat dog\ndog cat\nbird");
  const TextSearch cat{"cat"};
  EXPECT_EQ(findNextMatch(document, cat, 0), 0);
  EXPECT_EQ(findNextMatch(document, cat, -5), 0);  // before the start: from the top
  EXPECT_EQ(findNextMatch(document, cat, 1), 12);
  EXPECT_EQ(findNextMatch(document, cat, 12), 12);
  EXPECT_EQ(findNextMatch(document, cat, 13), -1);
  EXPECT_EQ(findNextMatch(document, TextSearch{"bird"}, 5), 16);
  EXPECT_EQ(findNextMatch(document, cat, document.characterCount() + 10), -1);
}

}  // namespace
}  // namespace tallyfold::test
