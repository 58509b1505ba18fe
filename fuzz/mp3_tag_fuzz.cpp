// The ID3v1 reader: any file reads without fault, and a tag it finds has UTF-8
// text and the genre name of its genre number.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "fuzz/fuzz_support.h"
#include "platform/utf8_text.h"
#include "scan/mp3_tag.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tallyfold;
  std::string_view input = fuzz::asText(data, size);
  Mp3Tag tag;
  if (!readMp3Tag(fuzz::inputFile(input), tag)) return 0;
  FUZZ_CHECK(size >= 128);
  FUZZ_CHECK(tag.marker == "TAG");
  // Each text field keeps its width in characters.
  const std::pair<const std::string*, size_t> fields[] = {
      {&tag.title, 30}, {&tag.artist, 30}, {&tag.album, 30}, {&tag.year, 4}, {&tag.comment, 30}};
  for (const auto& [field, width] : fields) {
    FUZZ_CHECK(isValidUtf8(*field));
    FUZZ_CHECK(utf8Length(*field) == width);
  }
  FUZZ_CHECK(tag.genre == static_cast<uint8_t>(input[size - 1]));
  FUZZ_CHECK(tag.genreName == genreNameOf(tag.genre));
  return 0;
}
