#pragma once
// What the program reads of a single file by path: size, time, attribute word
// and owner. (The walker reads the same facts through the directory reader.)

#include <cstdint>
#include <optional>
#include <string>

namespace tallyfold {

// The bits of the attribute word.
inline constexpr uint8_t kReadOnlyAttribute = 1;
inline constexpr uint8_t kHiddenAttribute = 2;
inline constexpr uint8_t kSystemAttribute = 4;
inline constexpr uint8_t kArchiveAttribute = 32;

struct FileFacts {
  uint64_t size = 0;
  int64_t mtime = 0;
  uint32_t uid = 0;
  uint8_t attributes = 0;  // read-only 1, hidden 2, system 4, archive 32
  bool isDirectory = false;
};

// Follows symbolic links; empty when the path cannot be examined.
std::optional<FileFacts> statPath(const std::string& path);

// The attribute word of a file: read-only when the owner's write bit is clear,
// hidden when the name begins with "."; system and archive come from the file
// system's DOS attributes where it keeps them (vfat, ntfs, cifs) when fd >= 0.
uint8_t attributeWord(unsigned mode, bool nameIsHidden, int fd = -1);

}  // namespace tallyfold
