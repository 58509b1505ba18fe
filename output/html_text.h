#pragma once
// The pieces of the HTML page made from a report file: the head with its style
// sheet, the conversion of one report line, and the escaping of line text.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tallyfold {

// The maker's web site, named in the page's title and its link.
inline constexpr std::string_view kMakerSiteHost = "www.corvane.com";

// The head of the page, one line each: the title, the character set, the
// style sheet and the page's heading with the link to the maker's site.
std::vector<std::string> htmlHeadLines(std::string_view fontName, std::string_view fontSize);
// The last line of a page whose report was converted to its end.
inline constexpr std::string_view kHtmlTailLine = "</body></html>";

// The listing font as a style-sheet value: letters, digits, blanks, "-", "_"
// and characters beyond ASCII are kept, anything else is dropped, and the name
// is quoted; an empty name gives the generic monospace family.
std::string cssFontFamily(std::string_view fontName);
// The font size as a number of points ("10" when the text is not a number).
std::string cssFontSize(std::string_view fontSize);

// Turns the escapes of listing text back into characters: "\\", "\{", "\}"
// and "\uN" with its fallback character (a UTF-16 pair joined into one
// character, a lone half as U+FFFD). Any other backslash stays.
std::string unescapeRtfText(std::string_view text);
// Line text for the page: escapes undone, then "&", "<", ">" and the double
// quotation mark as entities, then every blank as "&nbsp;".
std::string toHtmlText(std::string_view text);

// True when the line holds a "}" that is not escaped (the document's head and
// closing lines).
bool holdsUnescapedClosingBrace(std::string_view line);
// One line of the report file as page text; empty when the line is dropped.
// beforeEmptyLine: the next line of the file is empty, which only the folder
// list writes (after each folder), so a blank before the line's closing
// "\\par" is the folder's own and is kept.
std::optional<std::string> convertReportLine(std::string_view line, bool beforeEmptyLine = false);

}  // namespace tallyfold
