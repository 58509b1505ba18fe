#include "output/rtf_vocabulary.h"

#include <algorithm>
#include <array>

namespace tallyfold {

bool isSkippedRtfDestination(std::string_view word) {
  static constexpr std::array<std::string_view, 30> kWords = {
      "info",      "stylesheet", "pict",    "header",       "headerl",    "headerr",
      "headerf",   "footer",     "footerl", "footerr",      "footerf",    "footnote",
      "object",    "xmlnstbl",   "revtbl",  "rsidtbl",      "listtable",  "listoverridetable",
      "themedata", "datastore",  "fldinst", "latentstyles", "annotation", "colorschememapping",
      "atnauthor", "atnid",      "falt",    "panose",       "filetbl",    "generator"};
  return std::find(kWords.begin(), kWords.end(), word) != kWords.end();
}

char32_t rtfNamedCharacter(std::string_view word) {
  struct Named {
    std::string_view word;
    char32_t c;
  };
  static constexpr std::array<Named, 10> kNamed = {{
      {"emdash", 0x2014},
      {"endash", 0x2013},
      {"bullet", 0x2022},
      {"lquote", 0x2018},
      {"rquote", 0x2019},
      {"ldblquote", 0x201C},
      {"rdblquote", 0x201D},
      {"emspace", 0x2003},
      {"enspace", 0x2002},
      {"qmspace", 0x2005},
  }};
  for (const Named& n : kNamed) {
    if (n.word == word) return n.c;
  }
  return 0;
}

bool isRtfUnderlineWord(std::string_view word) {
  return word.substr(0, 2) == "ul" && word != "ulnone" && word != "ulc";
}

}  // namespace tallyfold
