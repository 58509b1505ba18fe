#pragma once
// CRC-32 (the zlib polynomial) of a file's bytes, with libdeflate.

#include <cstdint>
#include <optional>
#include <string>

namespace tallyfold {

// Empty when the file cannot be opened or read.
std::optional<uint32_t> fileCrc32(const std::string& path);
// 8 upper-case hexadecimal digits.
std::string crc32Text(uint32_t crc);

}  // namespace tallyfold
