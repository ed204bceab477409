#include "rules/Mask.h"

#include "platform/StringUtils.h"
#include "rules/CodePoints.h"

namespace vorlin {

// Compiles a mask into states, scanning it once from left to right.
class TMaskCompiler {
    using TState = TMask::TState;
    using TKind = TMask::TStateKind;

public:
    explicit TMaskCompiler(std::string_view mask) : FText(mask), FMask(DecodeCodePoints(mask)) {}

    std::vector<TState> Compile() {
        std::vector<TState> states;
        for (FPos = 0; FPos < FMask.size(); ++FPos) {
            char32_t c = FMask[FPos];
            if (c == U'*') {
                FSkipTo = true;
            } else if (c == U'?') {
                // After a "*" the "?" adds nothing: "*?" means "*".
                if (!FSkipTo) Add(states, NewState(TKind::skAny));
            } else if (c == U'[') {
                TState set = NewState(TKind::skSet);
                ScanSet(set);
                Add(states, std::move(set));
            } else {
                TState literal = NewState(TKind::skLiteral);
                literal.Literal = UpCaseAscii(c);
                Add(states, std::move(literal));
            }
        }
        TState end = NewState(TKind::skLiteral);
        end.Literal = 0;
        Add(states, std::move(end));
        return states;
    }

private:
    static TState NewState(TKind kind) {
        TState state;
        state.Kind = kind;
        return state;
    }

    [[noreturn]] void Invalid() const {
        throw EMaskException(
            Format("'%s' ist eine ungültige Maske für (%d)", std::string(FText), static_cast<int>(FPos + 1)));
    }

    void Add(std::vector<TState>& states, TState state) {
        if (FSkipTo && ++FSkipStates > TMask::kMaxSkipStates) Invalid();
        state.SkipTo = FSkipTo;
        FSkipTo = false;
        states.push_back(std::move(state));
    }

    static void AddRange(TState& set, char32_t from, char32_t to) {
        for (char32_t c = from; c <= to && c < 256; ++c) set.Low.set(c);
        if (to >= 256) set.HighRanges.emplace_back(from < 256 ? 256 : from, to);
    }

    // At "[": reads the set up to its "]" and leaves FPos on the "]".
    void ScanSet(TState& set) {
        ++FPos;
        if (FPos < FMask.size() && FMask[FPos] == U'!') {
            set.Negate = true;
            ++FPos;
        }
        bool empty = true;
        bool havePrevious = false;
        char32_t previous = 0;
        for (; FPos < FMask.size() && FMask[FPos] != U']'; ++FPos) {
            if (FMask[FPos] == U'-') {
                if (!havePrevious) Invalid();
                ++FPos;
                // A "-" that ends the mask leaves the set unclosed.
                if (FPos >= FMask.size()) Invalid();
                char32_t to = UpCaseAscii(FMask[FPos]);
                if (previous <= to) {
                    AddRange(set, previous, to);
                    empty = false;
                }
            } else {
                previous = UpCaseAscii(FMask[FPos]);
                havePrevious = true;
                AddRange(set, previous, previous);
                empty = false;
            }
        }
        if (FPos >= FMask.size() || empty) Invalid();
    }

    std::string_view FText;
    std::u32string FMask;
    size_t FPos = 0;
    bool FSkipTo = false;
    int FSkipStates = 0;
};

TMask::TMask(std::string_view mask) { FStates = TMaskCompiler(mask).Compile(); }

bool TMask::InSet(const TState& state, char32_t c) {
    if (c < 256) return state.Low.test(c);
    for (const auto& [from, to] : state.HighRanges)
        if (c >= from && c <= to) return true;
    return false;
}

bool TMask::StateMatches(const TState& state, const std::u32string& text, size_t pos) {
    bool atEnd = pos >= text.size();
    switch (state.Kind) {
    case TStateKind::skLiteral:
        return state.Literal == 0 ? atEnd : !atEnd && UpCaseAscii(text[pos]) == state.Literal;
    case TStateKind::skAny:
        return !atEnd;
    case TStateKind::skSet:
        return !atEnd && InSet(state, UpCaseAscii(text[pos])) != state.Negate;
    }
    return false;
}

// Every state stands for exactly one character, so when the states after
// the latest "*" fail at every position, giving an earlier "*" more text
// cannot help: the latest skip point is the only one worth retrying, and
// once it has run out of positions the text does not match. This gives the
// answers of a full backtracking search in time proportional to text length
// times mask length, where the search grows exponentially with the stars.
bool TMask::IsMatch(std::string_view text) const {
    // Links are matched by the thousand: keep the decoding buffer.
    thread_local std::u32string t;
    DecodeCodePoints(text, t);
    size_t pos = 0;
    size_t state = 0;
    bool canRetry = false;
    size_t retryPos = 0, retryState = 0;
    for (;;) {
        const TState& s = FStates[state];
        if (s.SkipTo) {
            while (pos < t.size() && !StateMatches(s, t, pos)) ++pos;
            canRetry = pos < t.size();
            retryPos = pos + 1;
            retryState = state;
        }
        if (StateMatches(s, t, pos)) {
            if (state + 1 == FStates.size()) return true;  // the end marker matched
            ++pos;
            ++state;
            continue;
        }
        if (!canRetry) return false;
        canRetry = false;
        pos = retryPos;
        state = retryState;
    }
}

bool MaskMatches(std::string_view text, std::string_view mask) { return TMask(mask).IsMatch(text); }

} // namespace vorlin
