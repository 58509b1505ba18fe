#include "gui/text_search.h"

#include <QTextBlock>
#include <QTextDocument>
#include <algorithm>

namespace tallyfold::gui {

namespace {

QString searchableText(const QTextBlock& block) {
  QString text = block.text();
  if (text.contains(QChar::Nbsp)) text.replace(QChar::Nbsp, QChar(' '));
  return text;
}

bool isWordCharacter(const QString& line, qsizetype at) {
  return at >= 0 && at < line.size() && line.at(at).isLetterOrNumber();
}

// The first match in the line at or after the offset; -1 if none.
qsizetype matchInLine(const QString& line, const TextSearch& search, qsizetype offset) {
  const Qt::CaseSensitivity sensitivity =
      search.caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive;
  for (qsizetype at = line.indexOf(search.what, offset, sensitivity); at >= 0;
       at = line.indexOf(search.what, at + 1, sensitivity)) {
    if (!search.wholeWords ||
        (!isWordCharacter(line, at - 1) && !isWordCharacter(line, at + search.what.size())))
      return at;
  }
  return -1;
}

}  // namespace

int findNextMatch(const QTextDocument& document, const TextSearch& search, int from) {
  if (search.what.isEmpty()) return -1;
  from = std::max(from, 0);
  QTextBlock block = document.findBlock(from);
  qsizetype offset = block.isValid() ? from - block.position() : 0;
  for (; block.isValid(); block = block.next(), offset = 0) {
    const qsizetype at = matchInLine(searchableText(block), search, offset);
    if (at >= 0) return block.position() + int(at);
  }
  return -1;
}

std::vector<int> findAllMatches(const QTextDocument& document, const TextSearch& search) {
  std::vector<int> starts;
  if (search.what.isEmpty()) return starts;
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
    const QString line = searchableText(block);
    for (qsizetype at = matchInLine(line, search, 0); at >= 0;
         at = matchInLine(line, search, at + search.what.size()))
      starts.push_back(block.position() + int(at));
  }
  return starts;
}

}  // namespace tallyfold::gui
