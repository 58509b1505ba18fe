// The text-line readers: the streaming reader over a stream that arrives in
// pieces, the whole-file reader and a plain reference split must give the same
// lines, and the line count must match.

#include <cstddef>
#include <cstdint>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "output/text_lines.h"
#include "platform/text_file.h"

namespace {

// CR LF, LF and CR each end a line; an empty last line after the final line
// end is not a line.
std::vector<std::string> referenceLines(std::string_view text) {
  std::vector<std::string> lines;
  std::string current;
  bool open = false;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(current);
      current.clear();
      open = false;
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      current += c;
      open = true;
    }
  }
  if (open) lines.push_back(current);
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tallyfold;
  std::string_view input = fuzz::asText(data, size);
  // A long first line puts the reader's chunk boundary inside the input.
  std::string text = fuzz::chunkBoundaryPadding(input, 'x');
  text += input;
  const std::vector<std::string> expected = referenceLines(text);

  std::vector<std::string> streamed;
  {
    fuzz::ChunkedStreamBuf pieces(text, fuzz::inputHash(input));
    std::istream in(&pieces);
    TextLineReader reader(in);
    std::string line;
    while (reader.next(line)) streamed.push_back(line);
    FUZZ_CHECK(!reader.next(line));
  }
  FUZZ_CHECK(streamed == expected);

  {
    fuzz::ChunkedStreamBuf pieces(text, fuzz::inputHash(input) + 1);
    std::istream in(&pieces);
    FUZZ_CHECK(countTextLines(in) == expected.size());
  }

  std::vector<std::string> whole;
  FUZZ_CHECK(readTextLines(fuzz::inputFile(text), whole));
  FUZZ_CHECK(whole == expected);
  return 0;
}
