#pragma once
// Small but well-formed PE files for the version tests: a PE32 image with one
// .rsrc section that holds an RT_VERSION resource (VS_VERSIONINFO with its
// VS_FIXEDFILEINFO), or no resources at all.

#include <array>
#include <cstdint>
#include <string>

namespace tallyfold::test {

using VersionParts = std::array<uint16_t, 4>;  // most significant first

// A PE image whose version resource holds these file and product versions.
std::string buildPeWithVersion(const VersionParts& fileVersion,
                               const VersionParts& productVersion = {9, 8, 7, 6});
// A PE image without a resource section.
std::string buildPeWithoutVersion();

}  // namespace tallyfold::test
