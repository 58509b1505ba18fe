#pragma once
// The form a saved listing takes, told by its file name's extension: both the
// window's Save As and tallyfold-cli's output choose by this one rule.

#include <optional>
#include <string_view>

namespace tallyfold {

enum class OutputForm { RichText, PlainText, Html, Csv, Json };

// The form for a path by the last extension of its file name, in any case;
// empty for a name without one of .rtf, .txt, .htm, .html, .csv, .json.
std::optional<OutputForm> outputFormOf(std::string_view path);
// The extension a name of the form is given when it has none, with its dot.
std::string_view extensionOf(OutputForm form);

}  // namespace tallyfold
