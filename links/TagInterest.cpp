#include "links/TagInterest.h"

#include "platform/StringUtils.h"

#include <algorithm>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace vorlin {

namespace {

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

TTagWord::TTagWord(std::string lower) : FLower(std::move(lower)), FAnchor(AnchorOf(FLower)) {}

// Run for every tag of every page, most of them short: the places of the
// word's anchor letter, in either case, are found sixteen at a time (with
// SSE2) and the word compared there.
bool TTagWord::FoundIn(std::string_view text) const {
    if (FLower.empty() || text.size() < FLower.size()) return false;
    const char* const data = text.data();
    auto matchesAt = [&](size_t start) {
        for (size_t i = 0; i < FLower.size(); ++i)
            if (LowerAscii(data[start + i]) != FLower[i]) return false;
        return true;
    };
    // The anchor's places: from FAnchor on, up to where the word still fits.
    const size_t first = FAnchor, last = text.size() - FLower.size() + FAnchor;
    const char anchor = FLower[FAnchor];
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
            if (matchesAt(from + static_cast<size_t>(__builtin_ctz(mask)) - FAnchor)) return true;
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
        if ((data[at] == anchor || data[at] == upper) && matchesAt(at - FAnchor)) return true;
    return false;
}

TTagNameSet::TTagNameSet(TTagNames names) : FNames(std::move(names)) {
    for (const std::string& name : FNames.Names)
        if (!name.empty()) FLengths[static_cast<unsigned char>(name[0])] |= LengthBit(name.size());
    for (const std::string& prefix : FNames.Prefixes) {
        if (prefix.empty()) FNames.All = true;  // a prefix of every name
        else FPrefixFirstLetters[static_cast<unsigned char>(prefix[0])] = true;
    }
}

bool TTagNameSet::Listed(std::string_view upperName) const {
    for (const std::string& name : FNames.Names)
        if (name == upperName) return true;
    for (const std::string& prefix : FNames.Prefixes)
        if (upperName.compare(0, prefix.size(), prefix) == 0) return true;
    return false;
}

TTagInterest::TTagInterest(const std::vector<std::string>& lowerWords, TTagNames names) : FNames(std::move(names)) {
    for (const std::string& word : lowerWords)
        if (FWords.size() < kMostWords && IndexOf(word) == std::string::npos) FWords.emplace_back(word);
}

TTagInterest::TFound TTagInterest::Found(std::string_view text) const {
    TFound found = 0;
    for (size_t i = 0; i < FWords.size(); ++i)
        if (FWords[i].FoundIn(text)) found |= static_cast<TFound>(1u << i);
    return found;
}

size_t TTagInterest::IndexOf(std::string_view lower) const {
    for (size_t i = 0; i < FWords.size(); ++i)
        if (FWords[i].Lower() == lower) return i;
    return std::string::npos;
}

} // namespace vorlin
