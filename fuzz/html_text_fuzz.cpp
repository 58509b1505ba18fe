// The HTML page made from a report file: every report line is converted on its
// own, the page text must be valid UTF-8 with no markup characters of its own,
// the style-sheet values must stay inside their quotes, and the exported page
// must be the head, the converted lines and the tail, nothing else.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "output/html_export.h"
#include "output/html_text.h"
#include "output/text_bytes.h"
#include "output/text_lines.h"
#include "platform/utf8_text.h"

namespace {

// Every "&" starts one of the entities the conversion writes.
bool entitiesOnly(std::string_view html) {
  static constexpr std::string_view kEntities[] = {"&amp;", "&lt;", "&gt;", "&quot;", "&nbsp;"};
  for (size_t at = html.find('&'); at != std::string_view::npos; at = html.find('&', at + 1)) {
    std::string_view rest = html.substr(at);
    if (std::none_of(std::begin(kEntities), std::end(kEntities),
                     [&](std::string_view entity) { return rest.starts_with(entity); })) {
      return false;
    }
  }
  return true;
}

void checkPageText(std::string_view text) {
  std::string html = tallyfold::toHtmlText(text);
  FUZZ_CHECK(tallyfold::isValidUtf8(html));
  FUZZ_CHECK(html.find_first_of("<>\" ") == std::string::npos);
  FUZZ_CHECK(entitiesOnly(html));
}

void checkStyleValues(std::string_view fontName, std::string_view fontSize) {
  std::string family = tallyfold::cssFontFamily(fontName);
  FUZZ_CHECK(tallyfold::isValidUtf8(family));
  if (family != "monospace") {
    // 'name', monospace: the name quoted, then the generic fallback.
    constexpr std::string_view kFallback = "', monospace";
    FUZZ_CHECK(family.size() > kFallback.size() + 1 && family.front() == '\'' &&
               family.ends_with(kFallback));
    FUZZ_CHECK(family.substr(1, family.size() - 1 - kFallback.size()).find_first_of("'\";{}<>\\") ==
               std::string::npos);
  }
  std::string size = tallyfold::cssFontSize(fontSize);
  FUZZ_CHECK(!size.empty() && size.find_first_not_of("0123456789.") == std::string::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tallyfold;
  std::string_view input = fuzz::asText(data, size);

  std::vector<std::string> lines;
  {
    std::istringstream in{std::string(input)};
    TextLineReader reader(in);
    std::string line;
    while (reader.next(line)) lines.push_back(line);
  }
  std::string expected;
  auto addLine = [&expected](std::string_view line) {
    expected += line;
    expected += "\r\n";
  };
  const std::string fontName = lines.empty() ? std::string() : lines[0];
  const std::string fontSize = lines.size() < 2 ? std::string() : lines[1];
  checkStyleValues(fontName, fontSize);
  for (const std::string& line : htmlHeadLines(fontName, fontSize)) addLine(line);

  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    checkPageText(line);
    (void)holdsUnescapedClosingBrace(line);
    const bool beforeEmptyLine = i + 1 < lines.size() && lines[i + 1].empty();
    std::optional<std::string> html = convertReportLine(line, beforeEmptyLine);
    if (!html) continue;
    FUZZ_CHECK(isValidUtf8(*html));
    addLine(*html);
  }
  addLine(kHtmlTailLine);
  FUZZ_CHECK(isValidUtf8(unescapeRtfText(bytesAsUtf8(input))));

  const std::string pagePath = fuzz::scratchFolder() + "/page.htm";
  FUZZ_CHECK(exportHtml(fuzz::inputFile(input), pagePath, fontName, fontSize));
  FUZZ_CHECK(fuzz::fileContent(pagePath) == expected);
  return 0;
}
