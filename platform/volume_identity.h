#pragma once
// Which volume holds a folder, as the system names it: the file system's UUID
// and label (from /dev/disk/by-uuid and /dev/disk/by-label), the mount point
// and the file-system type. A removable disk keeps its UUID and label when it
// comes back under another mount point, so a catalogue recognises it again.

#include <string>

namespace tallyfold {

struct VolumeIdentity {
  std::string uuid;        // empty when the system gives none (tmpfs, overlay)
  std::string label;       // empty when the file system has none
  std::string mountPoint;  // "/media/user/BACKUP"
  std::string fsType;      // "ext4", "vfat", "btrfs" ...
};

// The volume of the folder (links followed); fields the system does not
// give stay empty.
VolumeIdentity volumeOf(const std::string& folder);

// This computer's host name, empty when the system gives none.
std::string hostName();

}  // namespace tallyfold
