// The plain text of a listing: the small-document, callback and stream
// conversions must agree, each paragraph must end in exactly one "\n", and the
// text must be valid UTF-8.

#include <cstddef>
#include <cstdint>
#include <istream>
#include <sstream>
#include <string>
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "output/plain_text.h"
#include "output/rtf_reader.h"
#include "platform/utf8_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tallyfold;
  std::string_view input = fuzz::asText(data, size);
  std::string document = fuzz::chunkBoundaryPadding(input, ' ');
  document += input;

  const std::string whole = rtfToPlainText(document);
  FUZZ_CHECK(isValidUtf8(whole));

  std::string pieces;
  {
    fuzz::ChunkedStreamBuf buffer(document, fuzz::inputHash(input));
    std::istream in(&buffer);
    convertRtfToText(in, TextOutput([&pieces](std::string_view piece) { pieces += piece; }));
  }
  FUZZ_CHECK(pieces == whole);

  std::ostringstream streamed;
  {
    fuzz::ChunkedStreamBuf buffer(document, fuzz::inputHash(input) + 1);
    std::istream in(&buffer);
    convertRtfToText(in, streamed);
  }
  FUZZ_CHECK(streamed.str() == whole);

  std::string fromParagraphs;
  for (const RtfParagraph& paragraph : parseRtf(document)) {
    fromParagraphs += paragraph.text();
    if (paragraph.ended) fromParagraphs += '\n';
  }
  FUZZ_CHECK(fromParagraphs == whole);
  return 0;
}
