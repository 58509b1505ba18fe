// The media readers of the reader process (TagLib's audio properties, Exiv2
// with the image header, MediaInfoLib): the first byte chooses the format,
// the rest is the file. Any file reads without fault or exception, within a
// second and 64 MB, and its answer travels: blank when not found, UTF-8
// texts that the message format carries.

#include <sys/resource.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "platform/reader_protocol.h"
#include "platform/sanitized_build.h"
#include "platform/utf8_text.h"
#include "reader/media_file.h"

namespace {

long peakKilobytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tallyfold;
  // What the libraries set up once is no part of any one file's memory.
  static const long baseline = (prepareMediaReaders(), peakKilobytes());
  if (size == 0) return 0;
  const auto format = static_cast<MediaFormat>(data[0] % kMediaFormatCount);
  const std::string& path = fuzz::inputFile(fuzz::asText(data + 1, size - 1));
  std::FILE* file = std::fopen(path.c_str(), "rb");
  FUZZ_CHECK(file != nullptr);
  const auto start = std::chrono::steady_clock::now();
  MediaAnswer answer;
  answer.found = readMediaFile(fileno(file), format, answer.facts);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::fclose(file);
  if (!kSanitizedBuild) {
    FUZZ_CHECK(seconds < 1.0);
    FUZZ_CHECK(peakKilobytes() - baseline < 64 * 1024);
  }
  if (!answer.found) FUZZ_CHECK(encodeMediaAnswer(answer) == encodeMediaAnswer(MediaAnswer{}));
  for (const std::string* text : {&answer.facts.taken, &answer.facts.camera, &answer.facts.codec}) {
    FUZZ_CHECK(isValidUtf8(*text));
  }
  const std::optional<MediaAnswer> carried = parseMediaAnswer(encodeMediaAnswer(answer));
  FUZZ_CHECK(carried.has_value());
  FUZZ_CHECK(carried->found == answer.found);
  return 0;
}
