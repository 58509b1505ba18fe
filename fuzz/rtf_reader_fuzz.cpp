// The rich-text reader: reading from memory and from a stream that arrives in
// pieces must give the same document, the text must be valid UTF-8, and the
// whole-document parse must hold the same text.

#include <cstddef>
#include <cstdint>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "output/rtf_reader.h"
#include "platform/utf8_text.h"

namespace {

using tallyfold::RtfStyle;

// The document as the handler saw it. Where the reader cuts long text into
// pieces is its own choice, so adjacent text of one style is joined first.
class DocumentRecorder : public tallyfold::RtfHandler {
 public:
  struct Event {
    bool paragraphEnd = false;
    std::string text;
    RtfStyle style;
    bool operator==(const Event&) const = default;
  };

  void onText(std::string_view utf8, const RtfStyle& style) override {
    FUZZ_CHECK(!utf8.empty());
    FUZZ_CHECK(tallyfold::isValidUtf8(utf8));
    FUZZ_CHECK(style.halfPoints > 0);
    if (!events_.empty() && !events_.back().paragraphEnd && events_.back().style == style) {
      events_.back().text += utf8;
    } else {
      events_.push_back(Event{false, std::string(utf8), style});
    }
    plain_ += utf8;
  }
  void onParagraphEnd() override {
    events_.push_back(Event{true, {}, {}});
    plain_ += '\n';
  }

  const std::vector<Event>& events() const { return events_; }
  const std::string& plain() const { return plain_; }

 private:
  std::vector<Event> events_;
  std::string plain_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tallyfold;
  std::string_view input = fuzz::asText(data, size);
  // Plain text in front moves the stream reader's chunk boundary into the
  // input without changing how the input itself reads.
  std::string document = fuzz::chunkBoundaryPadding(input, 'x');
  document += input;

  DocumentRecorder fromMemory;
  readRtf(document, fromMemory);

  DocumentRecorder fromStream;
  fuzz::ChunkedStreamBuf pieces(document, fuzz::inputHash(input));
  std::istream stream(&pieces);
  readRtf(stream, fromStream);
  FUZZ_CHECK(fromMemory.events() == fromStream.events());

  std::string parsedText;
  for (const RtfParagraph& paragraph : parseRtf(document)) {
    FUZZ_CHECK(!paragraph.runs.empty() || paragraph.ended);
    parsedText += paragraph.text();
    if (paragraph.ended) parsedText += '\n';
  }
  FUZZ_CHECK(parsedText == fromMemory.plain());
  return 0;
}
