#pragma once
// Whether a folder lies on a file system that answers over a wire or through
// a program of its own (NFS, SMB, FUSE mounts such as sshfs or rclone, 9p,
// Ceph): there each look-up waits on the answer rather than on the processor,
// so the walk keeps many folders in reading at once.

#include <string>

namespace tallyfold {

// False as well when the folder cannot be examined: the walk then names the
// failure as it would anywhere.
bool isOnDistantFileSystem(const std::string& folder);

}  // namespace tallyfold
