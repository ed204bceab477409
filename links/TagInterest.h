// What the HTML parser's hooks look for in tags: HTML parser plugins name
// tags they want, and words ("style", say) whose tags they want, in any
// case. The run's page scanner notes which of the words each scanned tag
// holds, and which tags the hooks want none of, so that the run's thread
// neither searches every tag again nor hands over tags nobody takes.
#pragma once

#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vorlin {

// One word, searched from its rarest letter.
class TTagWord {
public:
    explicit TTagWord(std::string lower);
    bool FoundIn(std::string_view text) const;
    const std::string& Lower() const { return FLower; }

private:
    std::string FLower;
    size_t FAnchor;
};

// Names of tags (upper case, as the parser names them), whole or as
// prefixes; All: every tag.
struct TTagNames {
    bool All = false;
    std::vector<std::string> Names, Prefixes;
};

// Whether a name is among TTagNames: asked for every tag, and most names
// are told apart by their first letter and length alone.
class TTagNameSet {
public:
    TTagNameSet() = default;  // no name
    explicit TTagNameSet(TTagNames names);
    bool Contains(std::string_view upperName) const {
        if (FNames.All) return true;
        if (upperName.empty()) return false;
        const auto first = static_cast<unsigned char>(upperName[0]);
        return ((FLengths[first] & LengthBit(upperName.size())) || FPrefixFirstLetters[first]) && Listed(upperName);
    }
    const TTagNames& Names() const { return FNames; }
    // A length's bit in a mask per first letter (the last for 31 and longer).
    static uint32_t LengthBit(size_t length) { return uint32_t(1) << (length < 31 ? length : 31); }

private:
    bool Listed(std::string_view upperName) const;

    TTagNames FNames;
    std::array<uint32_t, 256> FLengths{};  // per first letter, the lengths of the names
    std::bitset<256> FPrefixFirstLetters;
};

// The words a scan looks for (one bit of a tag's found set each), and the
// names of the tags that are looked at whatever they hold.
class TTagInterest {
public:
    static constexpr size_t kMostWords = 16;
    using TFound = uint16_t;

    // Lower-case words; repeated ones are kept once, and those past
    // kMostWords are dropped (IndexOf does not find them).
    explicit TTagInterest(const std::vector<std::string>& lowerWords, TTagNames names = {});

    // Whether a tag of this name is looked at whatever it holds.
    bool NameMatters(std::string_view upperName) const { return FNames.Contains(upperName); }

    // Bit i set where word i occurs in text.
    TFound Found(std::string_view text) const;
    // The word's bit index, or npos.
    size_t IndexOf(std::string_view lower) const;
    size_t Count() const { return FWords.size(); }

private:
    std::vector<TTagWord> FWords;
    TTagNameSet FNames;
};

// What a scan saw of a tag's words: valid where Words is the list the
// asker counts its bits in (a scan made with another list is searched anew).
struct TTagWordsSeen {
    const TTagInterest* Words = nullptr;
    TTagInterest::TFound Found = 0;
};

} // namespace vorlin
