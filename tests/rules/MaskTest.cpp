#include "rules/Mask.h"
#include "rules/Match.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

using namespace vorlin;

namespace {

// A plain recursive search over every split, for masks over "ab*?" and the
// sets [ab] and [!a]: what the matchers must answer, however they search.
// A "?" right after a "*" stands for nothing, as in the mask language.
bool ReferenceMatch(const std::string& m, size_t mi, const std::string& t, size_t ti, bool dropAnyAfterStar) {
    if (mi == m.size()) return ti == t.size();
    if (m[mi] == '*') {
        size_t next = mi;
        while (next < m.size() && (m[next] == '*' || (dropAnyAfterStar && m[next] == '?'))) ++next;
        for (size_t k = ti; k <= t.size(); ++k)
            if (ReferenceMatch(m, next, t, k, dropAnyAfterStar)) return true;
        return false;
    }
    if (ti == t.size()) return false;
    if (m.compare(mi, 4, "[ab]") == 0)
        return (t[ti] == 'a' || t[ti] == 'b') && ReferenceMatch(m, mi + 4, t, ti + 1, dropAnyAfterStar);
    if (m.compare(mi, 4, "[!a]") == 0)
        return t[ti] != 'a' && ReferenceMatch(m, mi + 4, t, ti + 1, dropAnyAfterStar);
    return (m[mi] == '?' || m[mi] == t[ti]) && ReferenceMatch(m, mi + 1, t, ti + 1, dropAnyAfterStar);
}

std::string RandomText(std::mt19937& rng, const char* const* pieces, int pieceCount, int maxLength) {
    std::string s;
    int n = static_cast<int>(rng() % static_cast<unsigned>(maxLength + 1));
    for (int i = 0; i < n; ++i) s += pieces[rng() % static_cast<unsigned>(pieceCount)];
    return s;
}

// The message of the exception a malformed mask raises, or "" when it compiles.
std::string MaskError(const std::string& mask) {
    try {
        TMask m(mask);
        return "";
    } catch (const EMaskException& e) {
        return e.Message();
    }
}

std::string Stars(int count) {
    std::string mask;
    for (int i = 0; i < count; ++i) mask += "*a";
    return mask;
}

} // namespace

TEST(Mask, WildcardsCoverTheWholeTextWithoutRegardToCase) {
    EXPECT_TRUE(MaskMatches("File.HTML", "*.html"));
    EXPECT_FALSE(MaskMatches("file.htm", "*.html"));
    EXPECT_TRUE(MaskMatches("file.html", "*.htm?"));
    EXPECT_FALSE(MaskMatches("file.htm", "*.htm?"));
    EXPECT_TRUE(MaskMatches("", "*"));
    EXPECT_FALSE(MaskMatches("", "?"));
    EXPECT_FALSE(MaskMatches("ab", "?"));
    EXPECT_FALSE(MaskMatches("index.html.bak", "*.html"));
    EXPECT_TRUE(MaskMatches("", ""));
    EXPECT_FALSE(MaskMatches("x", ""));
    // "*?" means "*": it matches the empty text too.
    EXPECT_TRUE(MaskMatches("", "*?"));
    EXPECT_TRUE(MaskMatches("abc", "a*?c"));
}

TEST(Mask, StarsRetryLaterOccurrences) {
    EXPECT_TRUE(MaskMatches("aab", "*ab"));
    EXPECT_TRUE(MaskMatches("xaxxb", "*a*b"));
    EXPECT_TRUE(MaskMatches("a.b.c.gif", "*.*.gif"));
    EXPECT_FALSE(MaskMatches("a.gif.x", "*.gif"));
    EXPECT_TRUE(MaskMatches("http://h/a/b/c.zip", "http://*/*.zip"));
    // Many stars against a long text that almost matches must end quickly
    // rather than try every split.
    std::string text(20000, 'a');
    EXPECT_FALSE(MaskMatches(text, "*a*a*a*a*a*a*a*a*a*a*a*a*b"));
    EXPECT_TRUE(MaskMatches(text + "b", "*a*a*a*a*a*a*a*a*a*a*a*a*b"));
}

TEST(Mask, SetsRangesAndNegation) {
    EXPECT_TRUE(MaskMatches("abc", "a[!0-9]c"));
    EXPECT_FALSE(MaskMatches("a1c", "a[!0-9]c"));
    // A reversed range adds nothing: [b-a] holds only b.
    EXPECT_TRUE(MaskMatches("b", "[b-a]"));
    EXPECT_FALSE(MaskMatches("a", "[b-a]"));
    EXPECT_TRUE(MaskMatches("B", "[a-c]"));
    EXPECT_TRUE(MaskMatches("q", "[A-Z]"));
    EXPECT_TRUE(MaskMatches("x.jpg", "*.[jg][pi][gf]"));
    EXPECT_TRUE(MaskMatches("x.gif", "*.[jg][pi][gf]"));
    // A set stands for one character: a negated set does not match the end.
    EXPECT_FALSE(MaskMatches("a", "a[!b]"));
    EXPECT_TRUE(MaskMatches("ax", "*[!b]"));
}

TEST(Mask, CharactersNotBytes) {
    EXPECT_TRUE(MaskMatches("\xC3\xA4.txt", "?.txt"));            // "ä" is one character
    EXPECT_TRUE(MaskMatches("\xC3\xB6x", "[\xC3\xA4\xC3\xB6]x"));  // "[äö]x"
    EXPECT_FALSE(MaskMatches("\xC3\xBCx", "[\xC3\xA4\xC3\xB6]x"));
    EXPECT_FALSE(MaskMatches("\xC3\xA4", "\xC3\x84"));  // only A-Z ignore case
    // Bytes that are not UTF-8 match themselves and nothing else.
    EXPECT_TRUE(MaskMatches("a\xFF" "b", "a?b"));
    EXPECT_TRUE(MaskMatches("a\xFF" "b", "a\xFF" "b"));
    EXPECT_FALSE(MaskMatches("a\xFE" "b", "a\xFF" "b"));
}

TEST(Mask, MalformedMasksNameTheirPosition) {
    EXPECT_EQ(MaskError("[-a]"), "'[-a]' ist eine ungültige Maske für (2)");
    EXPECT_EQ(MaskError("[abc"), "'[abc' ist eine ungültige Maske für (5)");
    EXPECT_EQ(MaskError("x[]"), "'x[]' ist eine ungültige Maske für (3)");
    EXPECT_EQ(MaskError("[!]"), "'[!]' ist eine ungültige Maske für (3)");
    // A "-" at the end leaves the set open.
    EXPECT_EQ(MaskError("[a-"), "'[a-' ist eine ungültige Maske für (4)");
    // Positions count characters.
    EXPECT_EQ(MaskError("\xC3\xA4[-"), "'\xC3\xA4[-' ist eine ungültige Maske für (3)");
    EXPECT_EQ(MaskError("*.[gj]*"), "");
}

TEST(Mask, AtMostThirtyStars) {
    EXPECT_EQ(MaskError(Stars(30)), "");
    EXPECT_TRUE(MaskMatches(std::string(30, 'a'), Stars(30)));
    // The 31st state after a "*" is the last "a" (position 62).
    EXPECT_EQ(MaskError(Stars(31)), "'" + Stars(31) + "' ist eine ungültige Maske für (62)");
    // Consecutive stars make one state.
    EXPECT_EQ(MaskError("**********************************a"), "");
}

TEST(Match, WildcardsAndCase) {
    TMatch m;
    m.Pattern = "te?s*d.exe";
    m.Source = "TEXSIND.EXE";
    EXPECT_TRUE(m.IsMatch());
    m.CaseSensitive = true;
    EXPECT_FALSE(m.IsMatch());
    m.Source = "texsind.exe";
    EXPECT_TRUE(m.IsMatch());

    TMatch any;
    any.Source = "whatever";
    EXPECT_TRUE(any.IsMatch());  // empty pattern
    any.Pattern = "what";
    EXPECT_FALSE(any.IsMatch());  // without "*" the whole text must be covered
    any.Pattern = "what*";
    EXPECT_TRUE(any.IsMatch());
    any.Pattern = "w*t*r";
    EXPECT_TRUE(any.IsMatch());
    any.Pattern = "w*t*x";
    EXPECT_FALSE(any.IsMatch());
    any.Pattern = "whatever?";
    EXPECT_FALSE(any.IsMatch());  // "?" needs a character
    any.Source = "";
    any.Pattern = "*";
    EXPECT_TRUE(any.IsMatch());
    any.Pattern = "?*";
    EXPECT_FALSE(any.IsMatch());
}

TEST(Mask, AgreesWithAFullSearch) {
    static const char* const maskPieces[] = {"a", "b", "*", "*", "?", "[ab]", "[!a]"};
    static const char* const textPieces[] = {"a", "b", "c"};
    std::mt19937 rng(5);
    for (int i = 0; i < 20000; ++i) {
        std::string mask = RandomText(rng, maskPieces, 7, 7);
        std::string text = RandomText(rng, textPieces, 3, 9);
        ASSERT_EQ(MaskMatches(text, mask), ReferenceMatch(mask, 0, text, 0, true))
            << "mask '" << mask << "' text '" << text << "'";
        if (mask.find('[') == std::string::npos) {
            TMatch m;
            m.Pattern = mask;
            m.Source = text;
            ASSERT_EQ(m.IsMatch(), mask.empty() || ReferenceMatch(mask, 0, text, 0, false))
                << "pattern '" << mask << "' text '" << text << "'";
        }
    }
}
