#include "gui/listing_font.h"

#include <QFontDatabase>
#include <QHash>

namespace tallyfold::gui {

QString installedFamily(const QString& name) {
  static QHash<QString, QString> resolved;
  auto found = resolved.constFind(name.toLower());
  if (found != resolved.constEnd()) return *found;
  QString family;
  for (const QString& installed : QFontDatabase::families())
    if (installed.compare(name, Qt::CaseInsensitive) == 0) family = installed;
  if (family.isEmpty()) family = QFontDatabase::systemFont(QFontDatabase::FixedFont).family();
  resolved.insert(name.toLower(), family);
  return family;
}

QFont listingFont(const QString& name, const QString& sizeText) {
  bool number = false;
  double size = sizeText.trimmed().toDouble(&number);
  QFont font(installedFamily(name));
  font.setStyleHint(QFont::TypeWriter);
  font.setPointSizeF(number && size > 0 ? size : 10.0);
  return font;
}

}  // namespace tallyfold::gui
