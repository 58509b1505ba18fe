#pragma once
// The media facts as the listings show them: the detailed list's texts
// ("1:02:03", "320 kbps", "44.1 kHz stereo", "6000 x 4000", the date taken in
// the locale's form) and the machine forms of the CSV and JSON listings
// (seconds with three decimals, whole numbers). A fact the file does not hold
// is an empty text in both.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/locale_format.h"
#include "platform/media_facts.h"

namespace tallyfold {

// "h:mm:ss", the seconds rounded down.
std::string durationText(uint32_t ms);
std::string bitrateText(uint32_t kbps);
// "44.1 kHz stereo", "48 kHz mono", "48 kHz 5.1", "96 kHz 3 ch".
std::string audioFormatText(uint32_t sampleRate, uint32_t channels);
std::string dimensionsText(uint32_t width, uint32_t height);
// "05/03/2024 14:07:09" with the locale's separators, as the Date and Time
// columns show a time; the offset is not shown.
std::string takenText(std::string_view iso, const LocaleFormat& locale);

// "185.002": seconds with three decimals.
std::string durationSeconds(uint32_t ms);
// The number as decimal digits; empty for zero.
std::string wholeNumber(uint32_t value);

}  // namespace tallyfold
