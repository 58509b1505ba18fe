#include "output/html_text.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

#include "output/text_bytes.h"
#include "platform/utf8_text.h"
#include "report/listing_text.h"

namespace tallyfold {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool startsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

bool endsWith(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

// count characters from the 1-based position first; empty when the line is
// too short for the cut.
std::string_view cut(std::string_view line, int64_t first, int64_t count) {
  int64_t length = static_cast<int64_t>(line.size());
  if (first < 1 || first > length || count <= 0) return {};
  count = std::min(count, length - first + 1);
  return line.substr(static_cast<size_t>(first - 1), static_cast<size_t>(count));
}

std::string_view leftPart(std::string_view line, int64_t count) {
  return cut(line, 1, count);
}

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

bool isFontNameCharacter(char32_t c) {
  if (c >= 0x80) return c >= 0xA0 && c != kReplacement;
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ' ' ||
         c == '-' || c == '_';
}

// A "\uN" escape at pos (which holds the backslash): its value, and pos moved
// past it, its delimiting blank and its one fallback character.
bool readUnicodeEscape(std::string_view text, size_t& pos, int64_t& value) {
  size_t at = pos + 2;
  bool negative = at < text.size() && text[at] == '-';
  if (negative) ++at;
  if (at >= text.size() || !isDigit(text[at])) return false;
  value = 0;
  while (at < text.size() && isDigit(text[at])) {
    if (value <= 0xFFFFFF) value = value * 10 + (text[at] - '0');
    ++at;
  }
  if (negative) value = -value;
  if (at < text.size() && text[at] == ' ') ++at;
  // The fallback for readers without Unicode: "?" or "\'hh".
  if (at + 1 < text.size() && text[at] == '\\' && text[at + 1] == '\'') {
    at += 2;
    for (int digit = 0;
         digit < 2 && at < text.size() && std::isxdigit(static_cast<unsigned char>(text[at]));
         ++digit)
      ++at;
  } else if (at < text.size() && text[at] != '\\') {
    decodeUtf8(text, at);
  }
  pos = at;
  return true;
}

class UnicodeJoiner {
 public:
  explicit UnicodeJoiner(std::string& out) : out_(out) {}
  void unit(int64_t value) {
    if (value < 0) value += 0x10000;
    if (value >= 0xD800 && value <= 0xDBFF) {
      settle();
      high_ = static_cast<char32_t>(value);
    } else if (value >= 0xDC00 && value <= 0xDFFF && high_ != 0) {
      appendUtf8(out_,
                 0x10000 + ((high_ - 0xD800) << 10) + (static_cast<char32_t>(value) - 0xDC00));
      high_ = 0;
    } else {
      settle();
      bool valid = value >= 0 && value <= 0xFFFF && !(value >= 0xDC00 && value <= 0xDFFF);
      appendUtf8(out_, valid ? static_cast<char32_t>(value) : kReplacement);
    }
  }
  // A high half not followed by its low half.
  void settle() {
    if (high_ == 0) return;
    high_ = 0;
    appendUtf8(out_, kReplacement);
  }

 private:
  std::string& out_;
  char32_t high_ = 0;
};

}  // namespace

std::string cssFontFamily(std::string_view fontName) {
  std::string valid = bytesAsUtf8(fontName);
  std::string kept;
  for (size_t pos = 0; pos < valid.size();) {
    char32_t c = decodeUtf8(valid, pos);
    if (isFontNameCharacter(c)) appendUtf8(kept, c);
  }
  std::string_view name = trimBlanks(kept);
  if (name.empty()) return "monospace";
  std::string quoted(1, '\'');
  quoted.append(name);
  quoted += '\'';
  return quoted;
}

std::string cssFontSize(std::string_view fontSize) {
  std::string_view size = trimBlanks(fontSize);
  size_t point = size.find('.');
  std::string_view whole = size.substr(0, point);
  std::string_view fraction = point == std::string_view::npos ? "" : size.substr(point + 1);
  bool wholeOk =
      !whole.empty() && whole.size() <= 4 && std::all_of(whole.begin(), whole.end(), isDigit);
  bool fractionOk =
      point == std::string_view::npos || (!fraction.empty() && fraction.size() <= 3 &&
                                          std::all_of(fraction.begin(), fraction.end(), isDigit));
  bool positive =
      std::any_of(size.begin(), size.end(), [](char c) { return c >= '1' && c <= '9'; });
  if (!wholeOk || !fractionOk || !positive) return "10";
  return std::string(size);
}

std::vector<std::string> htmlHeadLines(std::string_view fontName, std::string_view fontSize) {
  const std::string host(kMakerSiteHost);
  const std::string font = cssFontFamily(fontName);
  const std::string size = cssFontSize(fontSize);
  return {
      "<html><head><title>Tallyfold - " + host + "</title>",
      "<meta charset=\"utf-8\">",
      "<style>",
      "<!--",
      ".dir  { font-family: " + font + "; font-size: " + size + "pt; font-weight: bold }",
      ".sum  { font-family: " + font + "; font-size: " + size + "pt; color:#800000 }",
      ".file { font-family: " + font + "; font-size: " + size + "pt }",
      "--></style>",
      "</head><body class=\"file\" nowrap>",
      "<b><font size= 5 >Tallyfold</font><br>",
      "<a href=\"http://" + host + "\">" + host + "</a></b><hr><br>",
  };
}

std::string unescapeRtfText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  UnicodeJoiner joiner(out);
  size_t pos = 0;
  while (pos < text.size()) {
    char c = text[pos];
    char next = pos + 1 < text.size() ? text[pos + 1] : '\0';
    int64_t value = 0;
    if (c == '\\' && next == 'u' && readUnicodeEscape(text, pos, value)) {
      joiner.unit(value);
      continue;
    }
    joiner.settle();
    if (c == '\\' && (next == '\\' || next == '{' || next == '}')) {
      out += next;
      pos += 2;
    } else {
      out += c;
      ++pos;
    }
  }
  joiner.settle();
  return out;
}

std::string toHtmlText(std::string_view text) {
  std::string plain =
      isValidUtf8(text) ? unescapeRtfText(text) : unescapeRtfText(bytesAsUtf8(text));
  std::string html;
  html.reserve(plain.size() + plain.size() / 2);
  for (char c : plain) {
    switch (c) {
      case '&':
        html += "&amp;";
        break;
      case '<':
        html += "&lt;";
        break;
      case '>':
        html += "&gt;";
        break;
      case '"':
        html += "&quot;";
        break;
      case ' ':
        html += "&nbsp;";
        break;
      default:
        html += c;
        break;
    }
  }
  return html;
}

bool holdsUnescapedClosingBrace(std::string_view line) {
  for (size_t pos = 0; pos < line.size(); ++pos) {
    if (line[pos] == '\\') {
      ++pos;  // the escaped character
    } else if (line[pos] == '}') {
      return true;
    }
  }
  return false;
}

std::optional<std::string> convertReportLine(std::string_view line) {
  const int64_t length = static_cast<int64_t>(line.size());
  if (startsWith(line, "------")) {
    if (endsWith(line, "\\par\\par")) return toHtmlText(leftPart(line, length - 8)) + "<br><br>";
    return toHtmlText(line) + "<br>";
  }
  if (startsWith(line, "\\par\\b Total Summary:")) return "<br><b>Total Summary:</b><br>";
  if (startsWith(line, "\\b\\par")) {
    return "<div class='dir'>" + toHtmlText(cut(line, 8, length - 14)) + "</div>";
  }
  if (startsWith(line, "\\par -")) return toHtmlText(cut(line, 6, length)) + "<br>";
  if (startsWith(line, "\\par")) return toHtmlText(cut(line, 6, length - 10)) + "<br>";
  if (startsWith(line, "Total")) return toHtmlText(leftPart(line, length - 5)) + "<br>";
  if (!holdsUnescapedClosingBrace(line)) return toHtmlText(leftPart(line, length - 5)) + "<br>";
  return std::nullopt;
}

}  // namespace tallyfold
