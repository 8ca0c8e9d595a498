#pragma once

#include <string>
#include <string_view>

namespace dealcast::web {

// A session's cookies as one text: pairs of a name, "=" and a value joined by "; ", without domains, paths
// or expiry. The caller owns it; HttpClient sends it with a request and updates it from the answer.
using CookieJar = std::string;

// The cookies that the "Set-Cookie:" headers (any letter case) in `headers` set, as cookie text. Attributes
// are cut off at the first ";", cookies set to "deleted" are dropped, blanks are removed, and for each name
// only its last value is kept; names come out in reverse order of their last appearance.
std::string collectCookies(std::string_view headers);

// `newText` first, then each cookie of `oldText` whose name the new text does not set and whose name and
// value are both non-empty. Cookies whose value is "deleted" and repeated identical pairs are dropped.
std::string mergeCookies(std::string_view oldText, std::string_view newText);

}  // namespace dealcast::web
