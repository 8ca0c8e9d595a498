#pragma once

#include <string>
#include <string_view>

namespace dealcast::platform {
class Clock;
}

namespace dealcast::web {

// The text strictly between the first `start` and the first `end` after it; empty when either is missing.
// In both delimiters the marker "#引号" stands for a double quote. Case-sensitive.
std::string between(std::string_view text, std::string_view start, std::string_view end);

// Percent-encodes every byte as "%XX" (upper-case hex). With `keepSafe`, "-", ".", digits and ASCII letters
// stay as they are ("_" and "~" are encoded). With `toUtf8` the UTF-8 bytes of the text are encoded;
// without it, its GBK bytes (for the few peers that read GBK query values).
std::string urlEncode(std::string_view text, bool keepSafe = true, bool toUtf8 = true);

// "%" and two hex digits (either case) become that byte; everything else is kept. The bytes are read as
// UTF-8; a malformed byte becomes "?".
std::string urlDecode(std::string_view text);

// The current Unix time in milliseconds as 13 decimal digits (10 with `secondsOnly`): the `t` parameter
// of platform requests.
std::string timeStamp(const platform::Clock& clock, bool secondsOnly = false);

// Leading and trailing blanks (space, tab, CR, LF) removed.
std::string_view trim(std::string_view text);

}  // namespace dealcast::web
