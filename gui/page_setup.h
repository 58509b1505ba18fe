#pragma once
// The page margins between the settings store (twips) and the page-setup
// dialog, which shows them in the unit the user's locale measures in:
// millimetres for a metric locale, inches for the others. The dialog units
// are hundredths of a millimetre or thousandths of an inch, whole numbers.

#include <QLocale>
#include <QPageLayout>

#include "gui/window_geometry.h"

namespace tallyfold {
class SettingsStore;
}

namespace tallyfold::gui {

enum class MarginUnits { Millimetre, Inch };

// Every locale measures in one of the two; only the imperial systems use inches.
MarginUnits marginUnitsOf(const QLocale& locale);
// Rounded to the nearest whole unit, halves to the even neighbour; 567 twips
// stand for a centimetre, so 720 twips show as 1270 (12.70 mm) or 500 (0.500
// in) and come back as 720.
int marginToDialog(int twips, MarginUnits units);
int marginFromDialog(int dialogUnits, MarginUnits units);
// Dialog units per millimetre or per inch.
double dialogUnitsPerUnit(MarginUnits units);

// Section "Margins": "Top", "Bottom", "Left", "Right" in that order; false
// when the store could not be written.
bool storeMargins(SettingsStore& store, const PageMargins& margins);
// The "Page N of M" footer switch, kept beside the margins; off unless set.
bool storedPageNumbers(const SettingsStore& store);
bool storePageNumbers(SettingsStore& store, bool on);
// "Fit to page width" and the paper's orientation, kept beside the margins
// ("FitToWidth" "0"/"1", "Orientation" "Portrait"/"Landscape"); portrait and
// no fitting unless set.
bool storedFitToWidth(const SettingsStore& store);
QPageLayout::Orientation storedOrientation(const SettingsStore& store);
bool storePageShape(SettingsStore& store, bool fitToWidth, QPageLayout::Orientation orientation);

}  // namespace tallyfold::gui
