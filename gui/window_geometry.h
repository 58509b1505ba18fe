#pragma once
// The main window's place and size, kept in the settings store's section
// "WindowSize" in twips (15 to a pixel), and the page margins of "Margins".

#include <QRect>
#include <optional>
#include <vector>

namespace tallyfold {
class SettingsStore;
}

namespace tallyfold::gui {

inline constexpr int kTwipsPerPixel = 15;

// Left, top, width and height in pixels; nothing when no size is stored.
std::optional<QRect> storedGeometry(const SettingsStore& store);
// A first start: two thirds of the first screen each way (no less than the
// window's minimum), centred on it; 800 by 533 at the top left when there is
// no screen.
QRect firstStartGeometry(const std::vector<QRect>& screens, const QSize& minimum);
// The stored place and size, unless no screen shows enough of the window's
// top edge to grab it (a monitor since unplugged, a place from a larger
// desktop): then the window is centred on the first screen, no larger than it.
// No screens: as stored.
QRect fittedToScreens(const QRect& stored, const std::vector<QRect>& screens);
// False when the store could not be written.
bool storeGeometry(SettingsStore& store, const QRect& geometry);

struct PageMargins {
  int top = 720;
  int bottom = 720;
  int left = 720;
  int right = 720;
};

PageMargins storedMargins(const SettingsStore& store);

}  // namespace tallyfold::gui
