// tallyfold-latency-mirror SOURCE MOUNTPOINT DELAY_MS [FUSE OPTION]...
//
// Mounts SOURCE, read-only, at MOUNTPOINT and answers every request after
// DELAY_MS milliseconds, as a share over a slow wire would; runs until the
// mount is taken down (fusermount3 -u MOUNTPOINT). The kernel is told to keep
// nothing, so every look-up of every run reaches the mirror and waits.

#define FUSE_USE_VERSION 31

#include <dirent.h>
#include <fcntl.h>
#include <fuse.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace {

int gSourceFd = -1;
long gDelayMs = 0;

void waitDelay() {
  if (gDelayMs <= 0) return;
  timespec delay{gDelayMs / 1000, (gDelayMs % 1000) * 1000000L};
  while (nanosleep(&delay, &delay) != 0 && errno == EINTR) {
  }
}

// FUSE names every file by its path from the mount's root: "/" is the source
// itself, "/a/b" its entry a/b.
const char* relative(const char* path) {
  while (*path == '/') ++path;
  return *path == '\0' ? "." : path;
}

void* initMirror(fuse_conn_info*, fuse_config* config) {
  config->use_ino = 1;
  config->attr_timeout = 0;
  config->entry_timeout = 0;
  config->negative_timeout = 0;
  return nullptr;
}

int getAttributes(const char* path, struct stat* st, fuse_file_info*) {
  waitDelay();
  return fstatat(gSourceFd, relative(path), st, AT_SYMLINK_NOFOLLOW) == 0 ? 0 : -errno;
}

int readLink(const char* path, char* buffer, size_t size) {
  waitDelay();
  if (size == 0) return -EINVAL;
  ssize_t length = readlinkat(gSourceFd, relative(path), buffer, size - 1);
  if (length < 0) return -errno;
  buffer[length] = '\0';
  return 0;
}

int openFolder(const char* path, fuse_file_info* info) {
  waitDelay();
  int fd = openat(gSourceFd, relative(path), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return -errno;
  DIR* folder = fdopendir(fd);
  if (folder == nullptr) {
    int error = errno;
    close(fd);
    return -error;
  }
  info->fh = reinterpret_cast<uintptr_t>(folder);
  return 0;
}

int readFolder(const char*, void* buffer, fuse_fill_dir_t fill, off_t, fuse_file_info* info,
               fuse_readdir_flags) {
  waitDelay();
  DIR* folder = reinterpret_cast<DIR*>(info->fh);
  rewinddir(folder);
  while (dirent* entry = readdir(folder)) {
    struct stat st {};
    st.st_ino = entry->d_ino;
    st.st_mode = DTTOIF(entry->d_type);
    if (fill(buffer, entry->d_name, &st, 0, static_cast<fuse_fill_dir_flags>(0)) != 0) break;
  }
  return 0;
}

int releaseFolder(const char*, fuse_file_info* info) {
  closedir(reinterpret_cast<DIR*>(info->fh));
  return 0;
}

int openFile(const char* path, fuse_file_info* info) {
  waitDelay();
  if ((info->flags & O_ACCMODE) != O_RDONLY) return -EROFS;
  int fd = openat(gSourceFd, relative(path), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return -errno;
  info->fh = static_cast<uint64_t>(fd);
  return 0;
}

int readFile(const char*, char* buffer, size_t size, off_t offset, fuse_file_info* info) {
  waitDelay();
  ssize_t got = pread(static_cast<int>(info->fh), buffer, size, offset);
  return got < 0 ? -errno : static_cast<int>(got);
}

int releaseFile(const char*, fuse_file_info* info) {
  close(static_cast<int>(info->fh));
  return 0;
}

int fileSystemFacts(const char*, struct statvfs* facts) {
  waitDelay();
  return fstatvfs(gSourceFd, facts) == 0 ? 0 : -errno;
}

fuse_operations mirrorOperations() {
  fuse_operations operations{};
  operations.init = initMirror;
  operations.getattr = getAttributes;
  operations.readlink = readLink;
  operations.opendir = openFolder;
  operations.readdir = readFolder;
  operations.releasedir = releaseFolder;
  operations.open = openFile;
  operations.read = readFile;
  operations.release = releaseFile;
  operations.statfs = fileSystemFacts;
  return operations;
}

bool parseDelay(const char* text, long& delay) {
  char* end = nullptr;
  delay = std::strtol(text, &end, 10);
  return *text != '\0' && *end == '\0' && delay >= 0 && delay <= 60000;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4 || !parseDelay(argv[3], gDelayMs)) {
    std::fprintf(stderr, "usage: %s SOURCE MOUNTPOINT DELAY_MS [FUSE OPTION]...\n", argv[0]);
    return 2;
  }
  gSourceFd = open(argv[1], O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (gSourceFd < 0) {
    std::fprintf(stderr, "%s: cannot open '%s': %s\n", argv[0], argv[1], std::strerror(errno));
    return 1;
  }
  // Runs in the foreground, many requests at once, read-only.
  std::vector<char*> fuseArguments{argv[0], argv[2], const_cast<char*>("-f"),
                                   const_cast<char*>("-o"),
                                   const_cast<char*>("ro,default_permissions")};
  for (int i = 4; i < argc; ++i) fuseArguments.push_back(argv[i]);
  fuseArguments.push_back(nullptr);
  const fuse_operations operations = mirrorOperations();
  return fuse_main(static_cast<int>(fuseArguments.size() - 1), fuseArguments.data(), &operations,
                   nullptr);
}
