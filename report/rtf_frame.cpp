#include "report/rtf_frame.h"

#include <charconv>

#include "platform/utf8_text.h"
#include "report/file_details.h"
#include "report/listing_text.h"

namespace tallyfold {

namespace {

constexpr int kDefaultHalfPoints = 20;
constexpr double kLargestFontPoints = 1638;

bool isPlainDecimal(std::string_view text) {
  bool digits = false;
  bool point = false;
  for (char c : text) {
    if (c >= '0' && c <= '9') {
      digits = true;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      return false;
    }
  }
  return digits;
}

// The font name inside the font table, where ";" ends the name: braces and
// backslashes are escaped, ";" is dropped.
std::string fontTableName(std::string_view fontName) {
  std::string name;
  for (char c : fontName) {
    if (c != ';') name += c;
  }
  return escapeRtfText(name);
}

void appendUnicodeEscape(std::string& out, char32_t c) {
  auto appendUnit = [&out](uint16_t unit) {
    out += "\\u";
    out += std::to_string(static_cast<int16_t>(unit));
    out += '?';
  };
  if (c < 0x10000) {
    appendUnit(static_cast<uint16_t>(c));
  } else {
    char32_t v = c - 0x10000;
    appendUnit(static_cast<uint16_t>(0xD800 + (v >> 10)));
    appendUnit(static_cast<uint16_t>(0xDC00 + (v & 0x3FF)));
  }
}

std::string fontTableEntry(size_t index, std::string_view fontName) {
  return "{\\f" + std::to_string(index) + "\\fmodern\\fprq1\\fcharset0 " + fontTableName(fontName) +
         ";}";
}

std::string colourTableEntry(uint32_t red, uint32_t green, uint32_t blue) {
  return "\\red" + std::to_string(red) + "\\green" + std::to_string(green) + "\\blue" +
         std::to_string(blue) + ";";
}

constexpr std::string_view kRtfStart = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033";

bool isControlCharacter(char32_t c) {
  return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

}  // namespace

int fontHalfPoints(std::string_view fontSize) {
  fontSize = trimText(fontSize);
  if (!isPlainDecimal(fontSize)) return kDefaultHalfPoints;
  double points = 0;
  auto [end, error] = std::from_chars(fontSize.data(), fontSize.data() + fontSize.size(), points);
  if (error != std::errc() || end != fontSize.data() + fontSize.size()) return kDefaultHalfPoints;
  if (points < 1 || points > kLargestFontPoints) return kDefaultHalfPoints;
  return static_cast<int>(2 * points);
}

std::string buildRtfHeader(std::string_view fontName, std::string_view fontSize, uint32_t colour) {
  // A colour with its highest bit set (a system colour reference) still gives
  // three components of 0 to 255, so the colour table stays valid RTF.
  uint32_t red = colour & 255;
  uint32_t green = (colour >> 8) & 255;
  uint32_t blue = (colour >> 16) & 255;
  std::string header(kRtfStart);
  header += "{\\fonttbl" + fontTableEntry(0, fontName);
  header += "{\\f1\\fswiss\\fcharset0 Arial;}}";
  header += "{\\colortbl;" + colourTableEntry(red, green, blue) + "}";
  header += "\\viewkind4\\uc1\\pard\\li180\\cf1\\f0\\fs" + std::to_string(fontHalfPoints(fontSize));
  header += "\\par ";
  return header;
}

std::string escapeRtfText(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 4);
  size_t pos = 0;
  while (pos < text.size()) {
    // Most names are ASCII: their bytes need no decoding.
    unsigned char byte = static_cast<unsigned char>(text[pos]);
    char32_t c = byte < 0x80 ? text[pos++] : decodeUtf8(text, pos);
    if (c == '{' || c == '}' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (isControlCharacter(c)) {
      out += ' ';
    } else if (c < 0x80) {
      out += static_cast<char>(c);
    } else {
      appendUnicodeEscape(out, c);
    }
  }
  return out;
}

std::string escapeListingText(std::string_view text, const ReportSettings& settings) {
  if (settings.listInLower) return escapeRtfText(toLowerUtf8(text));
  if (settings.listInUpper) return escapeRtfText(toUpperUtf8(text));
  return escapeRtfText(text);
}

std::string makeSeparator(int64_t count) {
  if (count <= 0) return {};
  return std::string(static_cast<size_t>(count), '-');
}

void RtfDocumentWriter::begin(const std::vector<std::string>& fonts,
                              const std::vector<RtfColour>& colours, int halfPoints) {
  std::string header(kRtfStart);
  header += "{\\fonttbl";
  for (size_t i = 0; i < fonts.size(); ++i) header += fontTableEntry(i, fonts[i]);
  header += "}{\\colortbl;";
  for (const RtfColour& colour : colours)
    header += colourTableEntry(colour.red, colour.green, colour.blue);
  header += "}\\viewkind4\\uc1\\pard\\li180\\f0\\fs" + std::to_string(halfPoints) + " ";
  out_(header);
}

void RtfDocumentWriter::writeRun(std::string_view utf8, const RtfRunStyle& style) {
  line_ += "{\\plain\\f" + std::to_string(style.font);
  if (style.halfPoints > 0) line_ += "\\fs" + std::to_string(style.halfPoints);
  if (style.bold) line_ += "\\b";
  if (style.italic) line_ += "\\i";
  if (style.underline) line_ += "\\ul";
  line_ += "\\cf" + std::to_string(style.colour) + " ";
  // Every other control character becomes a blank, as in the listings.
  for (size_t tab = utf8.find('\t'); tab != std::string_view::npos; tab = utf8.find('\t')) {
    line_ += escapeRtfText(utf8.substr(0, tab));
    line_ += "\\tab ";
    utf8.remove_prefix(tab + 1);
  }
  line_ += escapeRtfText(utf8);
  line_ += '}';
}

void RtfDocumentWriter::endParagraph() {
  line_ += "\\par\r\n";
  out_(line_);
  line_.clear();
}

void RtfDocumentWriter::end() {
  line_ += "\r\n}";
  out_(line_);
  line_.clear();
}

namespace {

// The detailed list ends its summary lines with "\\par", the trees with
// "\\par " (a blank after); both kept for byte-compatible listings.
void writeFileSummary(ReportSink& sink, const ReportCounters& counters, const LocaleFormat& locale,
                      std::string_view lineEnd) {
  sink.writeLine("\\par\\b Total Summary: \\b0");
  sink.writeLine("\\par " + std::to_string(counters.files) + " file(s) found in " +
                 std::to_string(counters.folders) + " folder(s) " + std::string(lineEnd));
  sink.writeLine("Total file size " + sizeTextAuto(counters.totalSize, locale) + " " +
                 std::string(lineEnd));
}

}  // namespace

void writeDetailedSummary(ReportSink& sink, const ReportCounters& counters,
                          const LocaleFormat& locale) {
  writeFileSummary(sink, counters, locale, "\\par");
}

void writeTreeSummary(ReportSink& sink, const ReportCounters& counters,
                      const LocaleFormat& locale) {
  writeFileSummary(sink, counters, locale, "\\par ");
}

void writeFolderListSummary(ReportSink& sink, uint64_t folders) {
  // The title row is followed by an empty line in the document.
  sink.writeLine("\\par\\b Total Summary: \\b0");
  sink.writeLine("");
  sink.writeLine("\\par " + std::to_string(folders) + " folder(s) found \\par ");
}

}  // namespace tallyfold
