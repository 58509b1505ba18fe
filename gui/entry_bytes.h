#pragma once
// Entries of the program's lists (exclusions, file types) are kept as the
// bytes they were read as: a name on disk need not be UTF-8, and a round trip
// through QString would turn such a byte into U+FFFD, which then names
// another file. For showing them, bytes that are no UTF-8 appear as \xHH.

#include <QString>
#include <string_view>

namespace tallyfold::gui {

QString bytesForDisplay(std::string_view bytes);

}  // namespace tallyfold::gui
