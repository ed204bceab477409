#include "rules/HTMLParserInterest.h"

#include <algorithm>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace vorlin {

namespace {

char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::vector<std::string> Entries(std::string_view list, char (*fold)(char)) {
    std::vector<std::string> entries;
    size_t at = 0;
    while (at < list.size()) {
        while (at < list.size() && (list[at] == ' ' || list[at] == '\t')) ++at;
        size_t end = at;
        while (end < list.size() && list[end] != ' ' && list[end] != '\t') ++end;
        if (end > at) {
            std::string entry(list.substr(at, end - at));
            std::transform(entry.begin(), entry.end(), entry.begin(), fold);
            entries.push_back(std::move(entry));
        }
        at = end;
    }
    return entries;
}

bool Contains(const std::vector<std::string>& entries, std::string_view entry) {
    return std::find(entries.begin(), entries.end(), entry) != entries.end();
}

// Where in a word to look first: its letter that is rarest in pages, by
// the letters' order of frequency in English text (a character not listed
// counts as rarer still).
size_t AnchorOf(std::string_view word) {
    static constexpr std::string_view kByFrequency = "etaoinshrdlcumwfgypbvkjxqz";
    size_t anchor = 0, rarest = 0;
    for (size_t i = 0; i < word.size(); ++i) {
        const size_t rank = kByFrequency.find(word[i]);
        const size_t rarity = rank == std::string_view::npos ? kByFrequency.size() : rank;
        if (i == 0 || rarity > rarest) {
            anchor = i;
            rarest = rarity;
        }
    }
    return anchor;
}

} // namespace

THTMLParserInterest::TWord::TWord(std::string lower) : Lower(std::move(lower)), Anchor(AnchorOf(Lower)) {}

// Run for every tag of every page, most of them short: the places of the
// word's anchor letter, in either case, are found sixteen at a time (with
// SSE2) and the word compared there.
bool THTMLParserInterest::TWord::FoundIn(std::string_view text) const {
    if (Lower.empty() || text.size() < Lower.size()) return false;
    const char* const data = text.data();
    auto matchesAt = [&](size_t start) {
        for (size_t i = 0; i < Lower.size(); ++i)
            if (LowerAscii(data[start + i]) != Lower[i]) return false;
        return true;
    };
    // The anchor's places: from Anchor on, up to where the word still fits.
    const size_t first = Anchor, last = text.size() - Lower.size() + Anchor;
    const char anchor = Lower[Anchor];
    const char upper = UpperAscii(anchor);
    size_t at = first;
#ifdef __SSE2__
    const __m128i lowerLetter = _mm_set1_epi8(anchor), upperLetter = _mm_set1_epi8(upper);
    auto places = [&](const char* bytes) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
        return static_cast<unsigned>(_mm_movemask_epi8(
            _mm_or_si128(_mm_cmpeq_epi8(block, lowerLetter), _mm_cmpeq_epi8(block, upperLetter))));
    };
    auto foundAmong = [&](size_t from, unsigned mask) {
        for (; mask; mask &= mask - 1)
            if (matchesAt(from + static_cast<size_t>(__builtin_ctz(mask)) - Anchor)) return true;
        return false;
    };
    if (text.size() < 16) {
        // Most tags are short: one block, copied so as not to read past the text.
        char padded[16] = {};
        std::memcpy(padded, data, text.size());
        const unsigned inRange = ((1u << (last + 1)) - 1) & ~((1u << first) - 1);
        return foundAmong(0, places(padded) & inRange);
    }
    for (; at + 16 <= text.size() && at <= last; at += 16) {
        unsigned mask = places(data + at);
        if (last < at + 15) mask &= (1u << (last - at + 1)) - 1;
        if (foundAmong(at, mask)) return true;
    }
    // The rest as the text's last sixteen places, without those seen.
    if (at <= last) {
        const size_t from = text.size() - 16;
        const unsigned mask = places(data + from) & ~((1u << (at - from)) - 1) & ((1u << (last - from + 1)) - 1);
        return foundAmong(from, mask);
    }
    return false;
#endif
    for (; at <= last; ++at)
        if ((data[at] == anchor || data[at] == upper) && matchesAt(at - Anchor)) return true;
    return false;
}

THTMLParserInterest THTMLParserInterest::FromLists(std::string_view tagNames, std::string_view tagWords,
                                                   std::string_view textsIn) {
    THTMLParserInterest interest;
    interest.FAllTags = false;
    for (std::string& name : Entries(tagNames, UpperAscii)) {
        if (name == "*") {
            interest.FAllTags = true;
        } else if (name.back() == '*') {
            name.pop_back();
            interest.FPrefixes.push_back(std::move(name));
        } else {
            interest.FNames.push_back(std::move(name));
        }
    }
    for (const std::string& name : interest.FNames)
        if (!name.empty()) interest.FNameLengths[static_cast<unsigned char>(name[0])] |= LengthBit(name.size());
    for (const std::string& prefix : interest.FPrefixes)
        if (!prefix.empty()) interest.FPrefixFirstLetters[static_cast<unsigned char>(prefix[0])] = true;
    for (std::string& word : Entries(tagWords, LowerAscii)) interest.FWords.emplace_back(std::move(word));
    const std::vector<std::string> elements = Entries(textsIn, UpperAscii);
    interest.FAllTexts = Contains(elements, "*") || elements.size() > kMaxTextElements;
    if (!interest.FAllTexts) interest.FTextElements = elements;
    for (const std::string& element : interest.FTextElements)
        interest.FTextElementLengths[static_cast<unsigned char>(element[0])] |= LengthBit(element.size());
    return interest;
}

bool THTMLParserInterest::NameListed(std::string_view upperName) const {
    if (Contains(FNames, upperName)) return true;
    for (const std::string& prefix : FPrefixes)
        if (upperName.size() >= prefix.size() && upperName.compare(0, prefix.size(), prefix) == 0) return true;
    return false;
}

uint32_t THTMLParserInterest::TextElementBitOf(std::string_view upperName) const {
    for (size_t i = 0; i < FTextElements.size(); ++i)
        if (FTextElements[i] == upperName) return uint32_t(1) << i;
    return 0;
}

} // namespace vorlin
