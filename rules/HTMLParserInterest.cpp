#include "rules/HTMLParserInterest.h"

#include "platform/StringUtils.h"

#include <algorithm>

namespace vorlin {

namespace {

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

} // namespace

THTMLParserInterest THTMLParserInterest::FromLists(std::string_view tagNames, std::string_view tagWords,
                                                   std::string_view textsIn) {
    THTMLParserInterest interest;
    TTagNames names;
    for (std::string& name : Entries(tagNames, UpperAscii)) {
        if (name == "*") {
            names.All = true;
        } else if (name.back() == '*') {
            name.pop_back();
            names.Prefixes.push_back(std::move(name));
        } else {
            names.Names.push_back(std::move(name));
        }
    }
    interest.FTagNames = TTagNameSet(std::move(names));
    for (std::string& word : Entries(tagWords, LowerAscii)) interest.FWords.emplace_back(std::move(word));
    const std::vector<std::string> elements = Entries(textsIn, UpperAscii);
    interest.FAllTexts = Contains(elements, "*") || elements.size() > kMaxTextElements;
    if (!interest.FAllTexts) interest.FTextElements = elements;
    for (const std::string& element : interest.FTextElements)
        interest.FTextElementLengths[static_cast<unsigned char>(element[0])] |= TTagNameSet::LengthBit(element.size());
    return interest;
}

TTagNames THTMLParserInterest::NamesLookedAt() const {
    TTagNames names = FTagNames.Names();
    names.Names.insert(names.Names.end(), FTextElements.begin(), FTextElements.end());
    return names;
}

void THTMLParserInterest::KeyWordsTo(const TTagInterest* words) {
    FKeyedTo = nullptr;
    FWordBits = 0;
    if (!words) return;
    for (const TTagWord& word : FWords) {
        const size_t index = words->IndexOf(word.Lower());
        if (index == std::string::npos) return;  // not counted there: searched for as before
        FWordBits |= static_cast<TTagInterest::TFound>(1u << index);
    }
    FKeyedTo = words;
}

uint32_t THTMLParserInterest::TextElementBitOf(std::string_view upperName) const {
    for (size_t i = 0; i < FTextElements.size(); ++i)
        if (FTextElements[i] == upperName) return uint32_t(1) << i;
    return 0;
}

} // namespace vorlin
