#pragma once
// The control words of rich text that the reader gives a meaning beyond
// simple formatting: destinations that hold no listing text, characters named
// by a word, and the kinds of underline.

#include <string_view>

namespace tallyfold {

// Destinations whose text is not part of the document's text (document
// information, style sheets, pictures, headers and footers ...).
bool isSkippedRtfDestination(std::string_view word);
// The character a word such as \emdash or \lquote stands for; 0 for others.
char32_t rtfNamedCharacter(std::string_view word);
// \ul and its kinds (\uld, \uldb, \ulwave ...), but not \ulnone or \ulc (the
// underline's colour).
bool isRtfUnderlineWord(std::string_view word);

}  // namespace tallyfold
