#include "gui/listing_font.h"

#include <unicode/uchar.h>

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QHash>
#include <QRawFont>

namespace tallyfold::gui {

namespace {

// Each language's cut of the face has the same full-width cells; Japanese
// first, as the names of a music collection most often are.
constexpr const char* kWideFamilies[] = {"Noto Sans Mono CJK JP", "Noto Sans Mono CJK SC",
                                         "Noto Sans Mono CJK TC", "Noto Sans Mono CJK KR"};
constexpr char32_t kSampleWide = U'\u6226';  // 戦

bool hasWideGlyphs(const QFont& font) {
  return QRawFont::fromFont(font).supportsCharacter(kSampleWide);
}

}  // namespace

QString installedFamily(const QString& name) {
  static QHash<QString, QString> resolved;
  auto found = resolved.constFind(name.toLower());
  if (found != resolved.constEnd()) return *found;
  QString family;
  for (const QString& installed : QFontDatabase::families())
    if (installed.compare(name, Qt::CaseInsensitive) == 0) family = installed;
  // The system's fixed font is an alias ("monospace") that the font
  // configuration resolves anew for each script, to another face for CJK
  // text: the face it names for Latin text is taken instead, so that digits
  // beside a CJK name keep the listing's cells.
  if (family.isEmpty())
    family = QFontInfo(QFontDatabase::systemFont(QFontDatabase::FixedFont)).family();
  resolved.insert(name.toLower(), family);
  return family;
}

QString wideFallbackFamily() {
  static const QString family = [] {
    const QStringList installed = QFontDatabase::families();
    for (const char* wanted : kWideFamilies)
      if (installed.contains(wanted)) return QString(wanted);
    return QString();
  }();
  return family;
}

QFont listingFont(const QString& name, const QString& sizeText) {
  bool number = false;
  double size = sizeText.trimmed().toDouble(&number);
  QFont font(installedFamily(name));
  if (!wideFallbackFamily().isEmpty())
    font.setFamilies({installedFamily(name), wideFallbackFamily()});
  font.setStyleHint(QFont::TypeWriter);
  font.setPointSizeF(number && size > 0 ? size : 10.0);
  return font;
}

bool isWideCharacter(char32_t c) {
  const auto width =
      static_cast<UEastAsianWidth>(u_getIntPropertyValue(UChar32(c), UCHAR_EAST_ASIAN_WIDTH));
  return width == U_EA_WIDE || width == U_EA_FULLWIDTH;
}

QFont wideCharacterFont(const QFont& listing, char32_t c) {
  const QString family = wideFallbackFamily();
  QFont first(listing.families().value(0, listing.family()));
  first.setPointSizeF(listing.pointSizeF());
  if (family.isEmpty() || hasWideGlyphs(first)) return listing;
  QFont wide(listing);
  wide.setFamilies({family});
  const qreal cells = 2 * QFontMetricsF(first).horizontalAdvance(QChar('0'));
  // The face's syllables and ideographs differ a little in width.
  const qreal glyph = QFontMetricsF(wide).horizontalAdvance(QString::fromUcs4(&c, 1));
  if (cells <= 0 || glyph <= 0) return listing;
  // The glyphs keep the listing's size; the space after each makes up the
  // second cell. A face wider than two cells is made smaller instead.
  if (glyph > cells) {
    wide.setPointSizeF(listing.pointSizeF() * cells / glyph);
    return wide;
  }
  wide.setLetterSpacing(QFont::AbsoluteSpacing, cells - glyph);
  return wide;
}

QFont wideCharacterFont(const QFont& listing) {
  return wideCharacterFont(listing, kSampleWide);
}

}  // namespace tallyfold::gui
