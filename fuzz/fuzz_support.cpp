#include "fuzz/fuzz_support.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace tallyfold::fuzz {

namespace {

uint64_t nextRandom(uint64_t& state) {
  // splitmix64: small, fast and good enough to vary piece sizes.
  state += 0x9E3779B97F4A7C15ull;
  uint64_t z = state;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

std::string& scratchPath() {
  static std::string path;
  return path;
}

void removeScratchFolder() {
  if (scratchPath().empty()) return;
  std::error_code ignored;
  std::filesystem::remove_all(scratchPath(), ignored);
}

}  // namespace

void fail(const char* file, int line, const char* what) {
  std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, what);
  std::fflush(stderr);
  std::abort();
}

std::string_view asText(const uint8_t* data, size_t size) {
  return size == 0 ? std::string_view()
                   : std::string_view(reinterpret_cast<const char*>(data), size);
}

uint64_t inputHash(std::string_view bytes) {
  uint64_t hash = 0xCBF29CE484222325ull;  // FNV-1a
  for (unsigned char c : bytes) {
    hash ^= c;
    hash *= 0x100000001B3ull;
  }
  return hash;
}

const std::string& inputFile(std::string_view bytes) {
  static int fd = -1;
  static std::string path;
  if (fd < 0) {
    fd = memfd_create("tallyfold-fuzz-input", MFD_CLOEXEC);
    if (fd < 0) fail(__FILE__, __LINE__, "memfd_create");
    path = "/proc/self/fd/" + std::to_string(fd);
  }
  if (ftruncate(fd, 0) != 0) fail(__FILE__, __LINE__, "ftruncate");
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t wrote = pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
    if (wrote <= 0) fail(__FILE__, __LINE__, "pwrite");
    done += static_cast<size_t>(wrote);
  }
  return path;
}

const std::string& scratchFolder() {
  std::string& path = scratchPath();
  if (!path.empty()) return path;
  std::string base = "/tmp";
  if (const char* tmp = std::getenv("TMPDIR"); tmp != nullptr && *tmp != '\0') {
    base = tmp;
  } else if (std::filesystem::is_directory("/dev/shm")) {
    base = "/dev/shm";
  }
  std::string pattern = base + "/tallyfold-fuzz-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) fail(__FILE__, __LINE__, "mkdtemp");
  path = pattern;
  std::atexit(removeScratchFolder);
  return path;
}

std::string fileContent(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string chunkBoundaryPadding(std::string_view input, char fill) {
  uint64_t hash = inputHash(input);
  if ((hash & 7) != 0 || input.size() >= kReaderChunkSize / 2) return {};
  size_t boundaryInInput = static_cast<size_t>((hash >> 3) % (input.size() + 1));
  return std::string(kReaderChunkSize - boundaryInInput, fill);
}

ChunkedStreamBuf::ChunkedStreamBuf(std::string_view bytes, uint64_t seed)
    : bytes_(bytes), state_(seed) {}

ChunkedStreamBuf::int_type ChunkedStreamBuf::underflow() {
  if (offered_ == bytes_.size()) return traits_type::eof();
  uint64_t random = nextRandom(state_);
  // Mostly small pieces, now and then a large one.
  size_t limit = (random & 7) == 0 ? 8192 : 17;
  size_t piece = 1 + static_cast<size_t>((random >> 3) % limit);
  piece = std::min(piece, bytes_.size() - offered_);
  char* begin = const_cast<char*>(bytes_.data() + offered_);
  setg(begin, begin, begin + piece);
  offered_ += piece;
  return traits_type::to_int_type(*begin);
}

}  // namespace tallyfold::fuzz

#ifdef TALLYFOLD_UBSAN_SUPPRESSIONS
// A fuzz program run by hand halts on the first report too, and lets the
// known library reports pass; UBSAN_OPTIONS may still add to this.
extern "C" const char* __ubsan_default_options() {
  return "halt_on_error=1:print_stacktrace=1:suppressions=" TALLYFOLD_UBSAN_SUPPRESSIONS;
}
#endif
