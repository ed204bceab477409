#include "rules/HTMLParserInterest.h"

#include <algorithm>
#include <cstring>

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

// Run for every tag of every page: the places of the word's anchor letter
// are found by memchr, for each of its cases, and the word compared there.
bool THTMLParserInterest::TWord::FoundIn(std::string_view text) const {
    if (Lower.empty() || text.size() < Lower.size()) return false;
    const char* const data = text.data();
    const char anchor = Lower[Anchor];
    const char upper = UpperAscii(anchor);
    auto matchesAt = [&](size_t start) {
        for (size_t i = 0; i < Lower.size(); ++i)
            if (LowerAscii(data[start + i]) != Lower[i]) return false;
        return true;
    };
    // The anchor's places: from Anchor on, up to where the word still fits.
    const size_t first = Anchor, last = text.size() - Lower.size() + Anchor;
    for (const char letter : {anchor, upper}) {
        for (size_t at = first; at <= last;) {
            const void* found = std::memchr(data + at, letter, last - at + 1);
            if (!found) break;
            at = static_cast<size_t>(static_cast<const char*>(found) - data);
            if (matchesAt(at - Anchor)) return true;
            ++at;
        }
        if (upper == anchor) break;  // no other case to look for
    }
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
    for (const auto* entries : {&interest.FNames, &interest.FPrefixes})
        for (const std::string& entry : *entries)
            if (!entry.empty()) interest.FFirstLetters[static_cast<unsigned char>(entry[0])] = true;
    for (std::string& word : Entries(tagWords, LowerAscii)) interest.FWords.emplace_back(std::move(word));
    const std::vector<std::string> elements = Entries(textsIn, UpperAscii);
    interest.FAllTexts = Contains(elements, "*") || elements.size() > kMaxTextElements;
    if (!interest.FAllTexts) interest.FTextElements = elements;
    for (const std::string& element : interest.FTextElements)
        interest.FTextFirstLetters[static_cast<unsigned char>(element[0])] = true;
    return interest;
}

bool THTMLParserInterest::WantsTag(std::string_view upperName, std::string_view text) const {
    if (FAllTags) return true;
    // Most tags' names start with a letter none of the entries starts with.
    if (!upperName.empty() && FFirstLetters[static_cast<unsigned char>(upperName[0])]) {
        if (Contains(FNames, upperName)) return true;
        for (const std::string& prefix : FPrefixes)
            if (upperName.size() >= prefix.size() && upperName.compare(0, prefix.size(), prefix) == 0) return true;
    }
    for (const TWord& word : FWords)
        if (word.FoundIn(text)) return true;
    return false;
}

uint32_t THTMLParserInterest::TextElementBit(std::string_view upperName) const {
    if (upperName.empty() || !FTextFirstLetters[static_cast<unsigned char>(upperName[0])]) return 0;
    for (size_t i = 0; i < FTextElements.size(); ++i)
        if (FTextElements[i] == upperName) return uint32_t(1) << i;
    return 0;
}

} // namespace vorlin
