#include "output/html_text.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

#include "output/text_bytes.h"
#include "platform/text_trim.h"
#include "platform/utf8_text.h"

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

// True when text ends in the control word (such as "\\par"), its backslash
// not itself escaped: "a\\\\par" ends in listing text, not in a line end.
bool endsWithControlWord(std::string_view text, std::string_view word) {
  if (!endsWith(text, word)) return false;
  size_t backslashes = 0;
  for (size_t pos = text.size() - word.size(); pos > 0 && text[pos - 1] == '\\'; --pos) {
    ++backslashes;
  }
  return backslashes % 2 == 0;
}

// A line's text without its line end. The generators end a line in "\\par "
// (the blank delimits the word and is no text), in " \\par" (the detailed
// list's rows and sums: the blank is part of the line end) or in "\\par" right
// after the text (the folder list, whose folder may end in a blank of its
// own). A line without any of them is none of ours, and loses its last five
// characters as such lines always have.
std::string_view withoutLineEnd(std::string_view line, bool folderListLine) {
  std::string_view text = line;
  bool delimited = false;  // the first "\\par" of the line end has its blank
  for (;;) {
    if (endsWithControlWord(text, "\\par ")) {
      text.remove_suffix(5);
      delimited = true;
    } else if (endsWithControlWord(text, "\\par")) {
      text.remove_suffix(4);
      delimited = false;
    } else {
      break;
    }
  }
  if (text.size() == line.size()) return leftPart(line, static_cast<int64_t>(line.size()) - 5);
  if (!delimited && !folderListLine && endsWith(text, " ")) text.remove_suffix(1);
  return text;
}

// The text after a leading control word and its delimiting blank.
std::string_view afterLeadingWord(std::string_view line, std::string_view word) {
  std::string_view rest = line.substr(word.size());
  return startsWith(rest, " ") ? rest.substr(1) : rest;
}

// A separator of hyphens as the detailed list writes it: alone, or followed
// by "\\par\\par" with or without a blank before it. Gives the hyphens (and
// the blank) and the number of line breaks, nothing for any other line, such
// as the row of a file whose name begins with hyphens.
std::optional<std::pair<std::string_view, int>> separatorLine(std::string_view line) {
  const size_t hyphens = std::min(line.find_first_not_of('-'), line.size());
  if (hyphens < 6) return std::nullopt;
  std::string_view rest = line.substr(hyphens);
  if (rest.empty()) return std::make_pair(line, 1);
  if (rest == "\\par\\par" || rest == " \\par\\par") {
    return std::make_pair(line.substr(0, line.size() - 8), 2);
  }
  return std::nullopt;
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
  std::string_view name = trimText(kept);
  if (name.empty()) return "monospace";
  // The listing's font is rarely installed where the page is read (Courier
  // New on Linux); any fixed-pitch face keeps the columns aligned.
  std::string family(1, '\'');
  family.append(name);
  family += "', monospace";
  return family;
}

std::string cssFontSize(std::string_view fontSize) {
  std::string_view size = trimText(fontSize);
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
      // Browsers ignore nowrap on <body>; the style keeps each listing line on
      // one line. Not "pre": every line already ends in <br>, and the page's
      // own line ends would show as empty lines between them.
      ".file { font-family: " + font + "; font-size: " + size + "pt; white-space: nowrap }",
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

// Each kind of line loses the control words it holds, whatever the length of
// its text: cutting a fixed count of characters took a letter off a line that
// ends in "\\par" alone.
std::optional<std::string> convertReportLine(std::string_view line, bool beforeEmptyLine) {
  if (auto separator = separatorLine(line)) {
    std::string html = toHtmlText(separator->first);
    for (int i = 0; i < separator->second; ++i) html += "<br>";
    return html;
  }
  if (startsWith(line, "\\par\\b Total Summary:")) return "<br><b>Total Summary:</b><br>";
  if (startsWith(line, "\\b\\par")) {
    // "\\b\\par ", the heading and its blank, then "\\par\\b0".
    std::string_view heading = afterLeadingWord(line, "\\b\\par");
    if (endsWithControlWord(heading, "\\par\\b0")) heading.remove_suffix(7);
    return "<div class='dir'>" + toHtmlText(heading) + "</div>";
  }
  if (startsWith(line, "\\par -")) return toHtmlText(afterLeadingWord(line, "\\par")) + "<br>";
  if (startsWith(line, "\\par")) {
    return toHtmlText(withoutLineEnd(afterLeadingWord(line, "\\par"), false)) + "<br>";
  }
  if (startsWith(line, "Total") || !holdsUnescapedClosingBrace(line)) {
    return toHtmlText(withoutLineEnd(line, beforeEmptyLine)) + "<br>";
  }
  return std::nullopt;
}

}  // namespace tallyfold
