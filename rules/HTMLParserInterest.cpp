#include "rules/HTMLParserInterest.h"

#include <algorithm>
#include <cstring>

namespace vorlin {

namespace {

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

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

// word is lower case; text is searched without regard to ASCII case. Run
// for every tag of every page: the places where the word may start are
// found by memchr, for each case of its first letter.
bool HoldsWord(std::string_view text, std::string_view word) {
    if (word.empty() || text.size() < word.size()) return false;
    const char* const data = text.data();
    const size_t last = text.size() - word.size();  // the last place it may start
    auto matchesAt = [&](size_t at) {
        for (size_t i = 1; i < word.size(); ++i)
            if (Lower(data[at + i]) != word[i]) return false;
        return true;
    };
    for (const char first : {word[0], Upper(word[0])}) {
        for (size_t at = 0; at <= last;) {
            const void* found = std::memchr(data + at, first, last - at + 1);
            if (!found) break;
            at = static_cast<size_t>(static_cast<const char*>(found) - data);
            if (matchesAt(at)) return true;
            ++at;
        }
        if (Upper(word[0]) == word[0]) break;  // no other case to look for
    }
    return false;
}

} // namespace

THTMLParserInterest THTMLParserInterest::FromLists(std::string_view tagNames, std::string_view tagWords,
                                                   std::string_view textsIn) {
    THTMLParserInterest interest;
    interest.FAllTags = false;
    for (std::string& name : Entries(tagNames, Upper)) {
        if (name == "*") {
            interest.FAllTags = true;
        } else if (name.back() == '*') {
            name.pop_back();
            interest.FPrefixes.push_back(std::move(name));
        } else {
            interest.FNames.push_back(std::move(name));
        }
    }
    interest.FWords = Entries(tagWords, Lower);
    const std::vector<std::string> elements = Entries(textsIn, Upper);
    interest.FAllTexts = Contains(elements, "*") || elements.size() > kMaxTextElements;
    if (!interest.FAllTexts) interest.FTextElements = elements;
    return interest;
}

bool THTMLParserInterest::WantsTag(std::string_view upperName, std::string_view text) const {
    if (FAllTags || Contains(FNames, upperName)) return true;
    for (const std::string& prefix : FPrefixes)
        if (upperName.substr(0, prefix.size()) == prefix) return true;
    for (const std::string& word : FWords)
        if (HoldsWord(text, word)) return true;
    return false;
}

uint32_t THTMLParserInterest::TextElementBit(std::string_view upperName) const {
    for (size_t i = 0; i < FTextElements.size(); ++i)
        if (FTextElements[i] == upperName) return uint32_t(1) << i;
    return 0;
}

} // namespace vorlin
