#include "platform/volume_identity.h"

#include <dirent.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace tallyfold {

namespace {

// A mountinfo field with its octal escapes ("\040" for a blank) undone.
std::string unescapeMountField(const std::string& field) {
  std::string text;
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size()) {
      const std::string digits = field.substr(i + 1, 3);
      if (digits.size() == 3 && digits.find_first_not_of("01234567") == std::string::npos) {
        text.push_back(static_cast<char>(std::strtol(digits.c_str(), nullptr, 8)));
        i += 3;
        continue;
      }
    }
    text.push_back(field[i]);
  }
  return text;
}

struct MountLine {
  std::string mountPoint;
  std::string fsType;
  std::string source;
};

// The mount of the device, the one whose mount point is the longest prefix
// of the folder when several share it (bind mounts).
MountLine mountOf(dev_t device, const std::string& folder) {
  std::ifstream mounts("/proc/self/mountinfo");
  const std::string wanted = std::to_string(major(device)) + ":" + std::to_string(minor(device));
  MountLine best;
  std::string line;
  while (std::getline(mounts, line)) {
    std::istringstream fields(line);
    std::string id, parent, numbers, root, point;
    fields >> id >> parent >> numbers >> root >> point;
    if (numbers != wanted) continue;
    std::string field;
    while (fields >> field && field != "-") {
    }
    MountLine candidate;
    candidate.mountPoint = unescapeMountField(point);
    fields >> candidate.fsType >> candidate.source;
    candidate.source = unescapeMountField(candidate.source);
    const bool below = folder.compare(0, candidate.mountPoint.size(), candidate.mountPoint) == 0;
    if (below && candidate.mountPoint.size() >= best.mountPoint.size()) best = candidate;
    if (best.mountPoint.empty() && !below) best = candidate;
  }
  return best;
}

// The name in /dev/disk/by-<kind> whose link leads to the device node.
std::string diskLinkName(const std::string& kind, const std::string& deviceNode) {
  const std::string folder = "/dev/disk/by-" + kind;
  DIR* listing = opendir(folder.c_str());
  if (listing == nullptr) return {};
  std::string found;
  while (dirent* entry = readdir(listing)) {
    if (entry->d_name[0] == '.') continue;
    char resolved[PATH_MAX];
    const std::string link = folder + "/" + entry->d_name;
    if (realpath(link.c_str(), resolved) != nullptr && deviceNode == resolved) {
      found = entry->d_name;
      break;
    }
  }
  closedir(listing);
  // The links' names escape some bytes as udev does ("\x20" for a blank).
  std::string name;
  for (size_t i = 0; i < found.size(); ++i) {
    if (found.compare(i, 2, "\\x") == 0 && i + 3 < found.size()) {
      name.push_back(static_cast<char>(std::strtol(found.substr(i + 2, 2).c_str(), nullptr, 16)));
      i += 3;
    } else {
      name.push_back(found[i]);
    }
  }
  return name;
}

}  // namespace

VolumeIdentity volumeOf(const std::string& folder) {
  VolumeIdentity volume;
  struct stat facts {};
  char resolved[PATH_MAX];
  if (stat(folder.c_str(), &facts) != 0 || realpath(folder.c_str(), resolved) == nullptr) {
    return volume;
  }
  const MountLine mount = mountOf(facts.st_dev, resolved);
  volume.mountPoint = mount.mountPoint;
  volume.fsType = mount.fsType;
  if (mount.source.starts_with("/dev/")) {
    char node[PATH_MAX];
    const std::string deviceNode =
        realpath(mount.source.c_str(), node) != nullptr ? std::string(node) : mount.source;
    volume.uuid = diskLinkName("uuid", deviceNode);
    volume.label = diskLinkName("label", deviceNode);
  }
  return volume;
}

std::string hostName() {
  char name[HOST_NAME_MAX + 1] = {};
  if (gethostname(name, sizeof name - 1) != 0) return {};
  return name;
}

}  // namespace tallyfold
