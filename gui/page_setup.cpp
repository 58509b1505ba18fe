#include "gui/page_setup.h"

#include <cmath>
#include <string>

#include "platform/settings_store.h"

namespace tallyfold::gui {

namespace {

constexpr char kMargins[] = "Margins";
constexpr char kPageNumbers[] = "PageNumbers";
constexpr char kFitToWidth[] = "FitToWidth";
constexpr char kOrientation[] = "Orientation";
constexpr char kLandscape[] = "Landscape";
constexpr double kTwipsPerCentimetre = 567;
constexpr double kTwipsPerInch = 1440;

double twipsPerThousand(MarginUnits units) {
  return units == MarginUnits::Millimetre ? kTwipsPerCentimetre : kTwipsPerInch;
}

int roundHalfEven(double value) {
  // nearbyint follows the default rounding mode, which sends halves to even.
  return int(std::nearbyint(value));
}

}  // namespace

MarginUnits marginUnitsOf(const QLocale& locale) {
  switch (locale.measurementSystem()) {
    case QLocale::ImperialUSSystem:
    case QLocale::ImperialUKSystem:
      return MarginUnits::Inch;
    case QLocale::MetricSystem:
      break;
  }
  return MarginUnits::Millimetre;
}

int marginToDialog(int twips, MarginUnits units) {
  return roundHalfEven(twips / twipsPerThousand(units) * 1000);
}

int marginFromDialog(int dialogUnits, MarginUnits units) {
  return roundHalfEven(dialogUnits / 1000.0 * twipsPerThousand(units));
}

double dialogUnitsPerUnit(MarginUnits units) {
  return units == MarginUnits::Millimetre ? 100 : 1000;
}

bool storeMargins(SettingsStore& store, const PageMargins& margins) {
  return store.setMany(kMargins, {{"Top", std::to_string(margins.top)},
                                  {"Bottom", std::to_string(margins.bottom)},
                                  {"Left", std::to_string(margins.left)},
                                  {"Right", std::to_string(margins.right)}});
}

bool storedPageNumbers(const SettingsStore& store) {
  return store.get(kMargins, kPageNumbers, "0") == "1";
}

bool storePageNumbers(SettingsStore& store, bool on) {
  return store.set(kMargins, kPageNumbers, on ? "1" : "0");
}

bool storedFitToWidth(const SettingsStore& store) {
  return store.get(kMargins, kFitToWidth, "0") == "1";
}

QPageLayout::Orientation storedOrientation(const SettingsStore& store) {
  return store.get(kMargins, kOrientation, "Portrait") == kLandscape ? QPageLayout::Landscape
                                                                     : QPageLayout::Portrait;
}

bool storePageShape(SettingsStore& store, bool fitToWidth, QPageLayout::Orientation orientation) {
  return store.setMany(
      kMargins, {{kFitToWidth, fitToWidth ? "1" : "0"},
                 {kOrientation, orientation == QPageLayout::Landscape ? kLandscape : "Portrait"}});
}

}  // namespace tallyfold::gui
