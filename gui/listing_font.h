#pragma once
// The listing's font. The report names a font the system may lack (Courier New
// rarely is on Linux); a missing one becomes the system's fixed-pitch font, so
// the columns of the listing stay aligned.

#include <QFont>
#include <QString>

namespace tallyfold::gui {

// The installed family for a name, or the fixed-pitch fallback.
QString installedFamily(const QString& name);
// The font of the font boxes' texts; a size that is no number gives 10 points.
QFont listingFont(const QString& name, const QString& sizeText);

}  // namespace tallyfold::gui
