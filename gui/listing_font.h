#pragma once
// The listing's font. The report names a font the system may lack (Courier New
// rarely is on Linux); a missing one becomes the system's fixed-pitch font, so
// the columns of the listing stay aligned. Wide characters (CJK names) that
// the listing font has no glyphs for are drawn in a fixed-pitch CJK face
// (Noto Sans Mono CJK) sized so that each takes exactly two cells of the
// listing font, as the report's columns count them. The pane and the printout
// both take their fonts from here.

#include <QFont>
#include <QString>

namespace tallyfold::gui {

// The installed family for a name, or the fixed-pitch fallback.
QString installedFamily(const QString& name);
// The fixed-pitch CJK family installed, or empty.
QString wideFallbackFamily();
// The font of the font boxes' texts; a size that is no number gives 10 points.
// Its families end with the CJK face, so any glyph the first lacks is found.
QFont listingFont(const QString& name, const QString& sizeText);
// Whether a character takes two cells (East Asian Width wide or fullwidth).
bool isWideCharacter(char32_t c);
// The font for the wide characters of text in the given listing font: the
// CJK face at the size that makes each of them two of the listing font's
// cells wide; the listing font itself when it has CJK glyphs or no CJK face
// is installed.
QFont wideCharacterFont(const QFont& listing);
// The same for one wide character: the face's glyphs differ a little in width
// (Hangul syllables are narrower than ideographs), so each gets the spacing
// that makes it two cells.
QFont wideCharacterFont(const QFont& listing, char32_t c);

}  // namespace tallyfold::gui
