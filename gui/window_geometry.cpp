#include "gui/window_geometry.h"

#include <QString>
#include <cmath>
#include <string>

#include "platform/settings_store.h"

namespace tallyfold::gui {

namespace {

constexpr char kGeometry[] = "WindowSize";
constexpr char kMargins[] = "Margins";

// A stored number in twips; text that is no number gives the default.
double twips(const SettingsStore& store, const char* section, const char* key, double fallback) {
  bool number = false;
  double value = QString::fromStdString(store.get(section, key)).trimmed().toDouble(&number);
  return number && std::isfinite(value) ? value : fallback;
}

int pixels(double twips) {
  return int(std::lround(twips / kTwipsPerPixel));
}

}  // namespace

QRect storedGeometry(const SettingsStore& store) {
  return QRect(pixels(twips(store, kGeometry, "L", 0)), pixels(twips(store, kGeometry, "T", 0)),
               pixels(twips(store, kGeometry, "W", 12000)),
               pixels(twips(store, kGeometry, "H", 8000)));
}

bool storeGeometry(SettingsStore& store, const QRect& geometry) {
  auto text = [](int pixels) { return std::to_string(pixels * kTwipsPerPixel); };
  return store.setMany(kGeometry, {{"W", text(geometry.width())},
                                   {"H", text(geometry.height())},
                                   {"T", text(geometry.y())},
                                   {"L", text(geometry.x())}});
}

PageMargins storedMargins(const SettingsStore& store) {
  auto margin = [&](const char* key) { return int(twips(store, kMargins, key, 720)); };
  return PageMargins{margin("Top"), margin("Bottom"), margin("Left"), margin("Right")};
}

}  // namespace tallyfold::gui
