#pragma once
// Saves the listing as an HTML page. The page is made from the report file
// that the last report run wrote, line by line, not from the listing pane, so
// edits made in the pane do not reach it.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "output/html_text.h"
#include "scan/scan_run.h"

namespace tallyfold {

// Lines converted so far and the number of lines of the report file.
using HtmlProgress = std::function<void(uint64_t done, uint64_t total)>;

// Writes the page to htmlPath (replaced atomically, CR LF line ends). True
// when the whole report was converted and the page written. Cancelling (the
// flag is polled before every line) or a failure leaves any earlier page as it
// was; a missing report file gives a page of the head lines only. These return
// false, with the reason in error.
bool exportHtml(const std::string& reportPath, const std::string& htmlPath,
                std::string_view fontName, std::string_view fontSize,
                const CancelFlag* cancel = nullptr, const HtmlProgress& progress = {},
                std::string* error = nullptr);

}  // namespace tallyfold
