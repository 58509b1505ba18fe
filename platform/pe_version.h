#pragma once
// Reads the file version from a PE file's (.exe, .dll, .ocx) own resource
// section: the VS_FIXEDFILEINFO of its RT_VERSION resource.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace tallyfold {

// The four 16-bit parts, most significant first (5.1.2600.0 gives {5,1,2600,0}).
// Empty when the file is not a PE file or holds no version resource. Never
// reads outside the file, whatever its headers claim.
std::optional<std::array<uint16_t, 4>> readPeFileVersion(const std::string& path);
// The same of a file already open (left open); only a regular file is read.
std::optional<std::array<uint16_t, 4>> readPeFileVersion(int fd);

}  // namespace tallyfold
