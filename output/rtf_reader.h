#pragma once
// Reads the rich text that the listings are written in, and the formatting the
// editing commands add to it, as a stream of styled text runs and paragraph
// ends. The reader never fails: unknown control words are skipped, a broken or
// truncated document gives what could be read, and memory stays constant
// however long the document is (the report file of a large tree runs to
// hundreds of megabytes).

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tallyfold {

struct RtfColour {
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;
  bool operator==(const RtfColour&) const = default;
};

// The character formatting of one run.
struct RtfStyle {
  bool bold = false;
  bool italic = false;
  bool underline = false;
  int colourIndex = 0;              // \cf: index into the colour table
  std::optional<RtfColour> colour;  // empty: the automatic (default) colour
  int fontIndex = 0;                // \f: number in the font table
  std::string fontName;             // empty when the table has no such font
  int halfPoints = 24;              // \fs: size in half points
  bool operator==(const RtfStyle&) const = default;
};

// Receives the document in reading order. Text comes in UTF-8; a run never
// spans a paragraph end, and consecutive runs may share one style (long text
// is handed over in pieces). \tab arrives as "\t", \line as "\n".
class RtfHandler {
 public:
  virtual ~RtfHandler() = default;
  virtual void onText(std::string_view utf8, const RtfStyle& style) = 0;
  virtual void onParagraphEnd() = 0;
};

// Group nesting deeper than this shares the formatting of the deepest tracked
// group; the braces are still counted so the document's structure holds.
inline constexpr int kRtfMaxGroupDepth = 1000;

void readRtf(std::string_view document, RtfHandler& handler);
void readRtf(std::istream& document, RtfHandler& handler);
// False when the file cannot be opened; a read error part-way ends the
// document there.
bool readRtfFile(const std::string& path, RtfHandler& handler);

// The whole document at once, for small texts such as the editor's clipboard.
struct RtfRun {
  std::string text;
  RtfStyle style;
};
struct RtfParagraph {
  std::vector<RtfRun> runs;  // adjacent runs of one style are joined
  bool ended = false;        // false only for text after the last paragraph end
  std::string text() const;  // the text of all its runs
};
// Text after the last paragraph end becomes a last paragraph with ended false;
// a document that ends with a paragraph end has no such paragraph.
std::vector<RtfParagraph> parseRtf(std::string_view document);

}  // namespace tallyfold
