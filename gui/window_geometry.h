#pragma once
// The main window's place and size, kept in the settings store's section
// "WindowSize" in twips (15 to a pixel), and the page margins of "Margins".

#include <QRect>

namespace tallyfold {
class SettingsStore;
}

namespace tallyfold::gui {

inline constexpr int kTwipsPerPixel = 15;

// Left, top, width and height in pixels; 12000 by 8000 twips at the top left
// when nothing is stored.
QRect storedGeometry(const SettingsStore& store);
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
