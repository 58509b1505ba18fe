#include "report/media_texts.h"

#include <cstdio>

namespace tallyfold {

namespace {

bool isDigits(std::string_view text, size_t at, size_t count) {
  if (at + count > text.size()) return false;
  for (size_t i = at; i < at + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
  }
  return true;
}

}  // namespace

std::string durationText(uint32_t ms) {
  if (ms == 0) return {};
  const uint32_t seconds = ms / 1000;
  char text[32];
  std::snprintf(text, sizeof text, "%u:%02u:%02u", seconds / 3600, seconds / 60 % 60, seconds % 60);
  return text;
}

std::string bitrateText(uint32_t kbps) {
  if (kbps == 0) return {};
  return std::to_string(kbps) + " kbps";
}

std::string audioFormatText(uint32_t sampleRate, uint32_t channels) {
  std::string text;
  if (sampleRate != 0) {
    // 44100 as "44.1", 48000 as "48", 22050 as "22.05".
    char rate[32];
    std::snprintf(rate, sizeof rate, "%u.%03u", sampleRate / 1000, sampleRate % 1000);
    std::string kilohertz = rate;
    while (kilohertz.back() == '0') kilohertz.pop_back();
    if (kilohertz.back() == '.') kilohertz.pop_back();
    text = kilohertz + " kHz";
  }
  if (channels != 0) {
    if (!text.empty()) text += ' ';
    switch (channels) {
      case 1:
        text += "mono";
        break;
      case 2:
        text += "stereo";
        break;
      case 6:
        text += "5.1";
        break;
      case 8:
        text += "7.1";
        break;
      default:
        text += std::to_string(channels) + " ch";
        break;
    }
  }
  return text;
}

std::string dimensionsText(uint32_t width, uint32_t height) {
  if (width == 0 || height == 0) return {};
  return std::to_string(width) + " x " + std::to_string(height);
}

std::string takenText(std::string_view iso, const LocaleFormat& locale) {
  // "2024-03-05T14:07:09" as the reader writes it.
  if (iso.size() < 19 || !isDigits(iso, 0, 4) || !isDigits(iso, 5, 2) || !isDigits(iso, 8, 2) ||
      !isDigits(iso, 11, 2) || !isDigits(iso, 14, 2) || !isDigits(iso, 17, 2)) {
    return {};
  }
  const std::string& d = locale.dateSeparator;
  const std::string& t = locale.timeSeparator;
  std::string text;
  text.append(iso.substr(8, 2)).append(d).append(iso.substr(5, 2)).append(d);
  text.append(iso.substr(0, 4)).append(" ");
  text.append(iso.substr(11, 2)).append(t).append(iso.substr(14, 2)).append(t);
  text.append(iso.substr(17, 2));
  return text;
}

std::string durationSeconds(uint32_t ms) {
  if (ms == 0) return {};
  char text[32];
  std::snprintf(text, sizeof text, "%u.%03u", ms / 1000, ms % 1000);
  return text;
}

std::string wholeNumber(uint32_t value) {
  return value == 0 ? std::string() : std::to_string(value);
}

}  // namespace tallyfold
