// The file-mask matcher of the rule conditions: "*" for any run of
// characters, "?" for one character, "[a-c]" and "[!0-9]" for one character
// in or not in a set; every other character stands for itself, A-Z without
// regard to case, and the mask must cover the whole text. A mask is compiled
// once (malformed masks are refused there) and can then match many texts.
#pragma once

#include "platform/Exception.h"

#include <bitset>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vorlin {

// A malformed mask: "'<mask>' ist eine ungültige Maske für (<position>)",
// the position counting characters from 1.
class EMaskException : public Exception {
public:
    using Exception::Exception;
};

class TMask {
public:
    // At most this many states may follow a "*".
    static constexpr int kMaxSkipStates = 30;

    // Throws EMaskException on a malformed mask.
    explicit TMask(std::string_view mask);
    bool IsMatch(std::string_view text) const;

private:
    friend class TMaskCompiler;

    enum class TStateKind { skLiteral, skAny, skSet };

    // One character of the compiled mask; the literal 0 ends the mask and
    // matches only the end of the text.
    struct TState {
        TStateKind Kind = TStateKind::skLiteral;
        bool SkipTo = false;  // preceded by "*"
        char32_t Literal = 0; // upper-cased
        bool Negate = false;
        std::bitset<256> Low;                                 // set members below 256
        std::vector<std::pair<char32_t, char32_t>> HighRanges; // members from 256 on
    };

    static bool InSet(const TState& state, char32_t c);
    static bool StateMatches(const TState& state, const std::u32string& text, size_t pos);

    std::vector<TState> FStates;
};

// Creates a mask, matches, frees it (throws EMaskException like TMask).
bool MaskMatches(std::string_view text, std::string_view mask);

} // namespace vorlin
