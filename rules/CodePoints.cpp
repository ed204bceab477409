#include "rules/CodePoints.h"

namespace vorlin {

namespace {

// Stand-in for an undecodable byte: a lone low surrogate, which valid UTF-8
// never yields.
char32_t RawByte(unsigned char b) { return 0xDC00 + b; }

// Length of the sequence that lead byte b starts, 0 when b can't start one.
int SequenceLength(unsigned char b) {
    if (b < 0x80) return 1;
    if (b >= 0xC2 && b <= 0xDF) return 2;
    if (b >= 0xE0 && b <= 0xEF) return 3;
    if (b >= 0xF0 && b <= 0xF4) return 4;
    return 0;
}

} // namespace

std::u32string DecodeCodePoints(std::string_view text) {
    std::u32string out;
    DecodeCodePoints(text, out);
    return out;
}

void DecodeCodePoints(std::string_view text, std::u32string& out) {
    out.clear();
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        unsigned char b = static_cast<unsigned char>(text[i]);
        int n = SequenceLength(b);
        if (n == 1) {
            out.push_back(b);
            ++i;
            continue;
        }
        char32_t c = n == 2 ? (b & 0x1F) : n == 3 ? (b & 0x0F) : (b & 0x07);
        bool valid = n > 0 && i + n <= text.size();
        for (int k = 1; valid && k < n; ++k) {
            unsigned char t = static_cast<unsigned char>(text[i + k]);
            if ((t & 0xC0) != 0x80) valid = false;
            c = (c << 6) | (t & 0x3F);
        }
        // Overlong forms, surrogates and values above U+10FFFF are not characters.
        if (valid && ((n == 3 && (c < 0x800 || (c >= 0xD800 && c <= 0xDFFF))) ||
                      (n == 4 && (c < 0x10000 || c > 0x10FFFF))))
            valid = false;
        if (valid) {
            out.push_back(c);
            i += n;
        } else {
            out.push_back(RawByte(b));
            ++i;
        }
    }
}

} // namespace vorlin
