#pragma once
// The main window's place and size, kept in the settings store's section
// "WindowSize" in twips (15 to a pixel), and the page margins of "Margins".

#include <QRect>
#include <vector>

namespace tallyfold {
class SettingsStore;
}

namespace tallyfold::gui {

inline constexpr int kTwipsPerPixel = 15;

// Left, top, width and height in pixels; 12000 by 8000 twips at the top left
// when nothing is stored.
QRect storedGeometry(const SettingsStore& store);
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
