#pragma once
// The per-file detail texts of the detailed list: attribute letters, size texts
// in an automatic or chosen unit, file version, owner name, CRC-32. Each
// answers with its fixed failure text instead of raising.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/locale_format.h"

namespace tallyfold {

// 4-character attribute text of an attribute word ("A   ", "RH  ", "RAHS" ...);
// "    " for words without an entry.
std::string attributeText(uint32_t attributeWord);
// Of a file by path; "    " when it cannot be examined.
std::string attributeTextOfPath(const std::string& path);

// True when the path names an existing file or folder.
bool pathExists(const std::string& path);

// "512 bytes", "1.00 KB", "1024.00 KB", "1.50 GB" ...
std::string sizeTextAuto(double bytes, const LocaleFormat& format);
// By the unit "Bytes" ("1,234,567"), "KB" ("2 KB"), "MB", "GB"; other units
// give the empty text.
std::string sizeTextByUnit(double bytes, std::string_view unit, const LocaleFormat& format);

// "5.1.2600.0" for a .exe/.dll/.ocx with a version resource; else empty.
std::string fileVersionText(const std::string& path);
// Whether a path's version is looked for at all: its last four characters,
// lower-cased, occur in ".exe .dll .ocx".
bool hasVersionExtension(std::string_view path);
// The version text of a file already open (the extension checked before).
std::string openFileVersionText(int fd);
// 8 upper-case hex digits of the file's CRC-32; empty when it cannot be read.
std::string crcText(const std::string& path);

}  // namespace tallyfold
