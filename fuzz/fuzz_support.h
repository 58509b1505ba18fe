#pragma once
// What the fuzz harnesses share: the input as a file, a scratch folder for the
// files a parser writes back, a stream that hands its bytes over in pieces of
// varying size, and the check that stops a run on a broken promise.
//
// Every harness is built twice: with libFuzzer to search for new inputs, and
// as a plain program (replay_main.cpp) that runs the stored corpus in the
// normal test run.

#include <cstddef>
#include <cstdint>
#include <streambuf>
#include <string>
#include <string_view>

namespace tallyfold::fuzz {

// Ends the run with a message when a promise of the code under test is broken,
// so that libFuzzer keeps the input and the replay fails.
[[noreturn]] void fail(const char* file, int line, const char* what);

#define FUZZ_CHECK(condition) \
  ((condition) ? static_cast<void>(0) : ::tallyfold::fuzz::fail(__FILE__, __LINE__, #condition))

std::string_view asText(const uint8_t* data, size_t size);

// A stable hash of the input, for choices that must be the same every time the
// input is run (chunk sizes, the place of a buffer boundary).
uint64_t inputHash(std::string_view bytes);

// A path that reads as exactly these bytes. The file is kept in memory (memfd)
// and replaced on every call; the path stays valid until the next call.
const std::string& inputFile(std::string_view bytes);

// A folder of this process for files the harness writes; removed at exit.
// Under $TMPDIR when set, else /dev/shm, else /tmp.
const std::string& scratchFolder();

// The whole content of a file ("" when it cannot be read).
std::string fileContent(const std::string& path);

// The readers take their input in chunks of this size.
inline constexpr size_t kReaderChunkSize = 64 * 1024;

// Text put in front of the input so that the readers' chunk boundary falls
// inside the input, at a place chosen by the input's hash; empty for seven inputs
// in eight (it makes a run slower) and for inputs too long to need it.
std::string chunkBoundaryPadding(std::string_view input, char fill);

// A read-only stream buffer over a text that refills its window in pieces of
// pseudo-random size (1 byte to a few kilobytes), as a pipe or a slow disk
// would deliver them.
class ChunkedStreamBuf : public std::streambuf {
 public:
  ChunkedStreamBuf(std::string_view bytes, uint64_t seed);

 protected:
  int_type underflow() override;

 private:
  std::string_view bytes_;
  size_t offered_ = 0;
  uint64_t state_;
};

}  // namespace tallyfold::fuzz
