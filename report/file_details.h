#pragma once
// The per-file detail texts of the detailed list: attribute letters, size texts
// in an automatic or chosen unit, file version. Each answers with its fixed
// failure text instead of raising.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/locale_format.h"

namespace tallyfold {

// 4-character attribute text of an attribute word ("A   ", "RH  ", "RAHS" ...);
// "    " for words without an entry.
std::string attributeText(uint32_t attributeWord);
// "512 bytes", "1.00 KB", "1024.00 KB", "1.50 GB" ...
std::string sizeTextAuto(double bytes, const LocaleFormat& format);
// By the unit "Bytes" ("1,234,567"), "KB" ("2 KB"), "MB", "GB"; other units
// give the empty text.
std::string sizeTextByUnit(double bytes, std::string_view unit, const LocaleFormat& format);

// Whether a path's version is looked for at all: its last four characters,
// lower-cased, occur in ".exe .dll .ocx".
bool hasVersionExtension(std::string_view path);
// "5.1.2600.0" of a file already open with a version resource (the extension
// checked before); else empty.
std::string openFileVersionText(int fd);

}  // namespace tallyfold
