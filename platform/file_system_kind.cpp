#include "platform/file_system_kind.h"

#include <sys/vfs.h>

#include <algorithm>
#include <array>
#include <cstdint>

namespace tallyfold {

namespace {

// The statfs type numbers of linux/magic.h and of the file systems that keep
// theirs in their own sources.
constexpr std::array<uint32_t, 10> kDistantTypes = {
    0x6969,      // NFS
    0x517B,      // SMB (the old client)
    0xFF534D42,  // CIFS
    0xFE534D42,  // SMB2
    0x65735546,  // FUSE
    0x01021997,  // 9p
    0x00C36400,  // Ceph
    0x5346414F,  // AFS
    0x6B414653,  // kAFS
    0x47504653,  // GPFS
};

}  // namespace

bool isOnDistantFileSystem(const std::string& folder) {
  struct statfs facts;
  if (statfs(folder.c_str(), &facts) != 0) return false;
  const auto type = static_cast<uint32_t>(facts.f_type);
  return std::find(kDistantTypes.begin(), kDistantTypes.end(), type) != kDistantTypes.end();
}

}  // namespace tallyfold
