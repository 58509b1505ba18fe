#include "platform/sha256.h"

#include <fcntl.h>
#include <openssl/evp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <new>

#include "platform/file_descriptor.h"
#include "platform/file_facts.h"

namespace tallyfold {

namespace {

// Large reads keep the system-call count low on big files; the digest itself
// runs far below the speed of the page cache, so a larger block buys nothing.
constexpr size_t kBlockSize = size_t{1} << 20;

unsigned char* threadBuffer() {
  thread_local std::unique_ptr<unsigned char[]> buffer;
  if (!buffer) buffer.reset(new unsigned char[kBlockSize]);
  return buffer.get();
}

// The algorithm is fetched once: an implicit fetch on every file would look
// it up in the provider tables again each time.
const EVP_MD* sha256Algorithm() {
  static EVP_MD* fetched = EVP_MD_fetch(nullptr, "SHA256", nullptr);
  return fetched != nullptr ? fetched : EVP_sha256();
}

struct ContextFree {
  void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};

// One digest context per thread, reset for every file.
EVP_MD_CTX* threadContext() {
  thread_local std::unique_ptr<EVP_MD_CTX, ContextFree> context(EVP_MD_CTX_new());
  if (!context) throw std::bad_alloc();
  return context.get();
}

bool isSet(const std::atomic<bool>* cancel) {
  return cancel != nullptr && cancel->load(std::memory_order_relaxed);
}

}  // namespace

Sha256Reading sha256OfOpenFile(int fd, const std::atomic<bool>* cancel) {
  struct stat info {};
  if (fstat(fd, &info) != 0) return Sha256Reading{std::nullopt, errno, false};
  if (!S_ISREG(info.st_mode)) return Sha256Reading{};
  posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
  EVP_MD_CTX* context = threadContext();
  if (EVP_DigestInit_ex(context, sha256Algorithm(), nullptr) != 1) {
    return Sha256Reading{std::nullopt, ENOMEM, false};
  }
  unsigned char* buffer = threadBuffer();
  uint64_t offset = 0;
  for (;;) {
    if (isSet(cancel)) return Sha256Reading{std::nullopt, 0, true};
    ssize_t got = pread(fd, buffer, kBlockSize, static_cast<off_t>(offset));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return Sha256Reading{std::nullopt, errno, false};
    if (got == 0) break;
    EVP_DigestUpdate(context, buffer, static_cast<size_t>(got));
    offset += static_cast<uint64_t>(got);
  }
  Sha256Digest digest{};
  unsigned int length = 0;
  if (EVP_DigestFinal_ex(context, digest.data(), &length) != 1 || length != digest.size()) {
    return Sha256Reading{std::nullopt, ENOMEM, false};
  }
  return Sha256Reading{digest, 0, false};
}

Sha256Reading sha256OfFileIn(int folderFd, const std::string& name,
                             const std::atomic<bool>* cancel) {
  // Only a regular file is opened: opening a device can have effects of its
  // own.
  FileFacts facts;
  if (int error = examineIn(folderFd, name, facts); error != 0) {
    return Sha256Reading{std::nullopt, error, false};
  }
  if (!facts.isRegular) return Sha256Reading{};
  int fd = openForReadingIn(folderFd, name, facts);
  if (fd < 0) return Sha256Reading{std::nullopt, -fd, false};
  FileDescriptor file(fd);
  return sha256OfOpenFile(file.get(), cancel);
}

Sha256Reading fileSha256(const std::string& path, const std::atomic<bool>* cancel) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return Sha256Reading{std::nullopt, errno, false};
  if (!S_ISREG(info.st_mode)) return Sha256Reading{};
  FileDescriptor file(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (file.get() < 0) return Sha256Reading{std::nullopt, errno, false};
  return sha256OfOpenFile(file.get(), cancel);
}

Sha256Digest sha256OfBytes(const void* data, size_t size) {
  Sha256Digest digest{};
  unsigned int length = 0;
  EVP_Digest(data, size, digest.data(), &length, sha256Algorithm(), nullptr);
  return digest;
}

std::string sha256Text(const Sha256Digest& digest) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  text.reserve(2 * digest.size());
  for (uint8_t byte : digest) {
    text += kDigits[byte >> 4];
    text += kDigits[byte & 15];
  }
  return text;
}

}  // namespace tallyfold
