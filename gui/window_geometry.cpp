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

// How much of the window's top edge must be on a screen for the user to grab
// and move it.
constexpr int kGrabbableWidth = 100;
constexpr int kGrabbableHeight = 20;

bool grabbable(const QRect& window, const QRect& screen) {
  const QRect edge = QRect(window.x(), window.y(), window.width(), kGrabbableHeight) & screen;
  return edge.width() >= kGrabbableWidth && edge.height() >= kGrabbableHeight;
}

}  // namespace

std::optional<QRect> storedGeometry(const SettingsStore& store) {
  if (store.get(kGeometry, "W").empty() && store.get(kGeometry, "H").empty()) return std::nullopt;
  return QRect(pixels(twips(store, kGeometry, "L", 0)), pixels(twips(store, kGeometry, "T", 0)),
               pixels(twips(store, kGeometry, "W", 12000)),
               pixels(twips(store, kGeometry, "H", 8000)));
}

QRect firstStartGeometry(const std::vector<QRect>& screens, const QSize& minimum) {
  if (screens.empty()) return QRect(QPoint(), QSize(800, 533).expandedTo(minimum));
  const QRect& first = screens.front();
  QRect window(QPoint(), QSize(first.width() * 2 / 3, first.height() * 2 / 3).expandedTo(minimum));
  window.moveCenter(first.center());
  return window;
}

QRect fittedToScreens(const QRect& stored, const std::vector<QRect>& screens) {
  for (const QRect& screen : screens)
    if (grabbable(stored, screen)) return stored;
  if (screens.empty()) return stored;
  const QRect& first = screens.front();
  QRect fitted(QPoint(), stored.size().boundedTo(first.size()));
  fitted.moveCenter(first.center());
  return fitted;
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
