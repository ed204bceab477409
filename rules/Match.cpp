#include "rules/Match.h"

#include "rules/CodePoints.h"

namespace vorlin {

// Only "*" can absorb text, so retrying the latest "*" one character further
// is enough: an earlier "*" taking more text could only give the later one
// less. That keeps many stars from costing exponential time.
bool TMatch::IsMatch() const {
    if (Pattern.empty()) return true;
    std::u32string p = DecodeCodePoints(Pattern);
    std::u32string s = DecodeCodePoints(Source);
    auto same = [this](char32_t a, char32_t b) {
        return CaseSensitive ? a == b : UpCaseAscii(a) == UpCaseAscii(b);
    };
    size_t pi = 0, si = 0;
    bool haveStar = false;
    size_t starPattern = 0, starSource = 0;
    for (;;) {
        if (pi < p.size() && p[pi] == U'*') {
            if (pi + 1 == p.size()) return true;  // a trailing "*" takes the rest
            haveStar = true;
            starPattern = ++pi;
            starSource = si;
            continue;
        }
        if (pi == p.size() && si == s.size()) return true;
        if (pi < p.size() && si < s.size() && (p[pi] == U'?' || same(p[pi], s[si]))) {
            ++pi;
            ++si;
            continue;
        }
        if (!haveStar || starSource >= s.size()) return false;
        pi = starPattern;
        si = ++starSource;
    }
}

} // namespace vorlin
