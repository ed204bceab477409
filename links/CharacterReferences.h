// Character references in attribute values ("&amp;", "&#38;", "&#x26;"):
// a page writes "a.html?x=1&amp;y=2" and means "a.html?x=1&y=2", so link
// values are decoded before they are registered, as a browser reads them.
#pragma once

#include <string>
#include <string_view>

namespace vorlin {

// The value with its character references decoded: numeric ones (decimal
// or hexadecimal, the ";" optional) as UTF-8, the named ones a URL may hold
// (amp, lt, gt, quot, apos, nbsp and the ASCII punctuation names). The four
// oldest names (amp, lt, gt, quot) count without ";" too, unless a letter,
// digit or "=" follows ("&amplifier=1" stays as it is). Anything else,
// a lone "&" included, stays unchanged.
std::string DecodeCharacterReferences(std::string_view value);

// True when the value holds no "&" and so decodes to itself.
inline bool HasNoCharacterReference(std::string_view value) {
    return value.find('&') == std::string_view::npos;
}

} // namespace vorlin
