#pragma once
// Small but well-formed PE files for the version tests: an image with one
// .rsrc section that holds an icon type entry and a version resource (type 16 /
// name 1 / language 0x409), its parts at fixed places so tests can damage them.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace tallyfold::test {

using VersionParts = std::array<uint16_t, 4>;  // most significant first

namespace pe {
constexpr size_t kPeHeaderAt = 0x40;
constexpr size_t kOptionalHeaderAt = kPeHeaderAt + 24;
constexpr size_t kSectionRawAt = 0x200;
constexpr uint32_t kSectionRva = 0x1000;
constexpr size_t kRootDirectory = kSectionRawAt + 0x00;
constexpr size_t kNameDirectory = kSectionRawAt + 0x20;
constexpr size_t kDataEntry = kSectionRawAt + 0x50;
constexpr size_t kVersionBlock = kSectionRawAt + 0x60;
constexpr size_t kVersionBlockSize = 92;
constexpr size_t kVersionBlockEnd = kVersionBlock + kVersionBlockSize;
constexpr uint32_t kSubdirectory = 0x80000000u;
}  // namespace pe

// Little-endian values written into an image.
void put16(std::string& bytes, size_t at, uint32_t value);
void put32(std::string& bytes, size_t at, uint32_t value);

// A PE32 (or PE32+) image whose version resource holds this file version and
// the product version 9.8.7.6.
std::string buildPeWithVersion(const VersionParts& fileVersion, bool plus = false);
// A PE32 image without a resource section.
std::string buildPeWithoutVersion();

}  // namespace tallyfold::test
