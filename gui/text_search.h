#pragma once
// The Find window's matching rule, shared by Find Next and Replace All: a
// match lies within one line; case is ignored unless asked for; a whole word
// has no letter or digit right before or after it; a no-break space in the
// listing matches a space.

#include <QString>
#include <vector>

class QTextDocument;

namespace tallyfold::gui {

struct TextSearch {
  QString what;
  bool caseSensitive = false;
  bool wholeWords = false;
};

// Where the first match at or after a document position starts; -1 if none.
int findNextMatch(const QTextDocument& document, const TextSearch& search, int from);

// Where every match starts, left to right, each one searched for behind the
// one before it (so matches never overlap).
std::vector<int> findAllMatches(const QTextDocument& document, const TextSearch& search);

}  // namespace tallyfold::gui
