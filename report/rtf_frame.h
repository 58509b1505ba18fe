#pragma once
// What the four listings share: the RTF header with the font and colour
// tables, the escaping and case folding of listing text, the separator row and
// the summary and closing lines.

#include <cstdint>
#include <string>
#include <string_view>

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

inline constexpr std::string_view kDetailedClosingLine = " \\par \\par \\par }";
inline constexpr std::string_view kTreeClosingLine = " \\par\\par\\par}";

}  // namespace tallyfold
