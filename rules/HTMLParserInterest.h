// Which tags and texts of a page an HTML parser plugin wants handed to it,
// as it said once when loaded (IHTMLParserInterest). Decided on the
// parser's own strings, so a tag no plugin wants is never converted for the
// plugins, nor are they called for it. A plugin that said nothing wants all.
#pragma once

#include "links/TagInterest.h"

#include <array>
#include <bitset>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vorlin {

class THTMLParserInterest {
public:
    // Elements whose texts can be asked for; further ones count as "*".
    static constexpr size_t kMaxTextElements = 32;

    // Every tag and every text.
    THTMLParserInterest() = default;
    // From the plugin's three lists: entries separated by blanks, any case.
    static THTMLParserInterest FromLists(std::string_view tagNames, std::string_view tagWords,
                                         std::string_view textsIn);

    // upperName as the parser names the tag (upper case, of start and end
    // tags alike); text what stood between "<" and ">". Asked for every tag:
    // most names are told apart by letter and length here, and the words
    // are taken from what a page scan saw of the tag where it counted them
    // in the list this interest is keyed to.
    bool WantsTag(std::string_view upperName, std::string_view text, const TTagWordsSeen& seen = {}) const {
        if (FTagNames.Contains(upperName)) return true;
        if (seen.Words && seen.Words == FKeyedTo) return (seen.Found & FWordBits) != 0;
        for (const TTagWord& word : FWords)
            if (word.FoundIn(text)) return true;
        return false;
    }

    // From now on a scan's words count where it used words, which must
    // hold every word of this interest and outlive the keying (null: none).
    void KeyWordsTo(const TTagInterest* words);
    const std::vector<TTagWord>& Words() const { return FWords; }
    // The names of the tags it wants whatever they hold, with those that
    // start or end the elements whose texts it wants.
    TTagNames NamesLookedAt() const;

    bool WantsAllTexts() const { return FAllTexts; }
    bool WantsTextsInside() const { return !FTextElements.empty(); }
    // The bit of the element whose texts are wanted (0: none of them).
    // Asked for every tag: most are told apart by letter and length here.
    uint32_t TextElementBit(std::string_view upperName) const {
        if (upperName.empty() || !(FTextElementLengths[static_cast<unsigned char>(upperName[0])] &
                                   TTagNameSet::LengthBit(upperName.size())))
            return 0;
        return TextElementBitOf(upperName);
    }

private:
    uint32_t TextElementBitOf(std::string_view upperName) const;

    TTagNameSet FTagNames{TTagNames{true, {}, {}}};  // every tag, until the plugin says
    std::vector<TTagWord> FWords;
    // The list the bits of FWordBits count in, or null.
    const TTagInterest* FKeyedTo = nullptr;
    TTagInterest::TFound FWordBits = 0;
    bool FAllTexts = true;
    std::vector<std::string> FTextElements;  // upper case
    // Per first letter, the lengths of the text elements' names.
    std::array<uint32_t, 256> FTextElementLengths{};
};

} // namespace vorlin
