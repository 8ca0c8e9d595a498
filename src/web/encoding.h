#pragma once

#include <string>
#include <string_view>

// The one place where text changes encoding. Inside the program all text is UTF-8; GBK (code page 936)
// exists only in files beside the program and in wire payloads that use it.
namespace dealcast::web {

// GBK bytes to UTF-8. A byte sequence that is not GBK becomes "?".
std::string gbkToUtf8(std::string_view gbk);

// UTF-8 to GBK bytes. A character without a GBK form, and a byte that is not UTF-8, becomes "?".
std::string utf8ToGbk(std::string_view utf8);

// True when the bytes are well-formed UTF-8 (no overlongs, no surrogates, nothing past U+10FFFF).
bool isValidUtf8(std::string_view bytes);

// Keeps well-formed UTF-8 as it is and replaces each malformed byte by "?", so text from outside can be
// held as program text.
std::string sanitizeUtf8(std::string_view bytes);

}  // namespace dealcast::web
