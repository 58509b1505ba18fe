#pragma once
// Dates as a user types them on the command line, in local time.

#include <cstdint>
#include <optional>
#include <string_view>

namespace tallyfold {

// "YYYY-MM-DD" (its local midnight), "YYYY-MM-DD HH:MM" or "YYYY-MM-DD
// HH:MM:SS" (a "T" in place of the blank allowed) in local time, or an ISO
// 8601 text with its offset. Empty for any other text.
std::optional<int64_t> parseDateText(std::string_view text);

}  // namespace tallyfold
