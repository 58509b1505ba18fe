#pragma once
// How the Catalogue window writes sizes and times: sizes with the locale's
// digit grouping, times as "2026-12-08 09:15" in local time.

#include <QString>
#include <cstdint>

namespace tallyfold::gui {

QString catalogueSizeText(uint64_t bytes);
QString catalogueTimeText(int64_t secondsSinceEpoch);

}  // namespace tallyfold::gui
