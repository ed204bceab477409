// Characters of the program's UTF-8 text for the wildcard matchers: a mask's
// "?" and its sets stand for one character, not one byte. Bytes that do not
// form valid UTF-8 each become a character of their own that no valid
// sequence can produce, so malformed names still match themselves.
#pragma once

#include <string>
#include <string_view>

namespace vorlin {

std::u32string DecodeCodePoints(std::string_view text);
// The same into out, reusing its storage.
void DecodeCodePoints(std::string_view text, std::u32string& out);

// The matchers' upper-casing: a-z to A-Z, everything else unchanged.
inline char32_t UpCaseAscii(char32_t c) { return c >= U'a' && c <= U'z' ? c - 32 : c; }

} // namespace vorlin
