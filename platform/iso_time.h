#pragma once
// Time stamps as ISO 8601 texts with the UTC offset of local time,
// "2024-03-05T14:07:09+01:00": what the machine-readable listings hold, so
// that a listing read on another machine or in another zone still names the
// same instant.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tallyfold {

// The local time of a time stamp with its offset. A time the system cannot
// break down (a year past its range) is written in UTC with "+00:00". Years
// outside 0 to 9999 carry a sign and as many digits as they need.
std::string isoLocalTime(int64_t secondsSinceEpoch);

// The instant an ISO 8601 text names: "YYYY-MM-DDTHH:MM:SS" followed by
// "+HH:MM", "-HH:MM" or "Z" (a space in place of the "T" and a signed year
// allowed). Empty for any other text.
std::optional<int64_t> parseIsoTime(std::string_view text);

// Seconds since the epoch, now.
int64_t currentTime();

}  // namespace tallyfold
