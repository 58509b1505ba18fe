#pragma once
// The program's one RTF writer: the listings' header with the font and colour
// tables, the escaping and case folding of listing text, the separator row and
// the summary and closing lines, and the styled document that the window saves
// from its pane.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/locale_format.h"
#include "report/report.h"
#include "report/report_settings.h"

namespace tallyfold {

// The header line: font and colour tables, the listing font at its size.
std::string buildRtfHeader(std::string_view fontName, std::string_view fontSize, uint32_t colour);
// The font size in half points: twice the points, whole part. A text that is
// no plain decimal number, or a size outside 1 to 1638 points, counts as 10.
int fontHalfPoints(std::string_view fontSize);

// Text made safe for the RTF body: printable ASCII stays, braces and backslashes
// get a backslash before them, other characters become \uN? escapes (UTF-16
// units), control characters one blank and invalid UTF-8 U+FFFD.
std::string escapeRtfText(std::string_view text);
// The listing's text: folded to lower or upper case as the settings ask, then
// escaped (so escapes are never folded).
std::string escapeListingText(std::string_view text, const ReportSettings& settings);

// count hyphens; empty for 0 or less.
std::string makeSeparator(int64_t count);

// Summary rows (only when the full summary is on) and closing lines.
void writeDetailedSummary(ReportSink& sink, const ReportCounters& counters,
                          const LocaleFormat& locale);
void writeTreeSummary(ReportSink& sink, const ReportCounters& counters, const LocaleFormat& locale);
void writeFolderListSummary(ReportSink& sink, uint64_t folders);

struct RtfColour {
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;
};

// The look of one run of document text.
struct RtfRunStyle {
  size_t font = 0;     // position in the font table
  int halfPoints = 0;  // 0: the document's size
  bool bold = false;
  bool italic = false;
  bool underline = false;
  size_t colour = 0;  // 0: the automatic colour, else position in the colour table + 1
};

// Writes a styled document, run by run and paragraph by paragraph, so a large
// document never needs a copy. Font names are escaped like any text; a tab
// stays a tab.
class RtfDocumentWriter {
 public:
  using Output = std::function<void(std::string_view)>;
  explicit RtfDocumentWriter(Output out) : out_(std::move(out)) {}

  void begin(const std::vector<std::string>& fonts, const std::vector<RtfColour>& colours,
             int halfPoints);
  void writeRun(std::string_view utf8, const RtfRunStyle& style);
  // Ends the current paragraph; the last one is closed by end() instead.
  void endParagraph();
  void end();

 private:
  Output out_;
  std::string line_;
};

inline constexpr std::string_view kDetailedClosingLine = " \\par \\par \\par }";
inline constexpr std::string_view kTreeClosingLine = " \\par\\par\\par}";

}  // namespace tallyfold
