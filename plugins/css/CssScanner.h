// Finds the references of a style sheet or of a STYLE body or attribute:
// every url(...) and every @import with a string. One pass, no document
// tree; comments and strings that are not references are skipped, and
// malformed or unterminated text ends the scan quietly.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace css_plugin {

struct TCssReference {
    size_t ValueStart = 0;   // where the reference's text stands in the input
    size_t ValueLength = 0;  // (inside the quotes when quoted)
    std::string Url;         // the reference with CSS escapes resolved and blanks trimmed
    bool Import = false;     // named by @import
    bool Background = false; // the value of a background property
    bool Quoted = false;
};

std::vector<TCssReference> ScanCss(std::string_view text);

// The value of the style attribute in a tag's text (what stands between "<"
// and ">"), quoted or not; empty when there is none.
std::string StyleAttributeValue(std::string_view tagText);

// A reference that names no file of its own: empty, inline data, or a
// fragment of the same document.
bool IsSelfContained(std::string_view url);

} // namespace css_plugin
