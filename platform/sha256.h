#pragma once
// SHA-256 of a file's bytes, with OpenSSL's libcrypto.

#include <array>
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

namespace tallyfold {

using Sha256Digest = std::array<uint8_t, 32>;

// What reading a file for its digest gave. Neither a digest nor an error nor
// a cancel: the file is not a regular file (a device, a pipe, a folder),
// whose bytes may never end, so it is not read.
struct Sha256Reading {
  std::optional<Sha256Digest> digest;
  int error = 0;  // errno of a failed read
  bool cancelled = false;
};

// The digest of an open file from its first byte. One digest is one stream
// that cannot be split, so a file is hashed on one thread; the cancel flag,
// when given, is looked at before every block of 1 MB, and once it is set the
// read ends without a digest.
Sha256Reading sha256OfOpenFile(int fd, const std::atomic<bool>* cancel = nullptr);
// The digest of the entry name of an open folder (links followed), opened
// beside its folder so that a path of any length is reached.
Sha256Reading sha256OfFileIn(int folderFd, const std::string& name,
                             const std::atomic<bool>* cancel = nullptr);
// By path (links followed).
Sha256Reading fileSha256(const std::string& path, const std::atomic<bool>* cancel = nullptr);
// The digest of bytes in memory.
Sha256Digest sha256OfBytes(const void* data, size_t size);
// 64 lower-case hexadecimal digits.
std::string sha256Text(const Sha256Digest& digest);

}  // namespace tallyfold
