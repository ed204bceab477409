// Words looked for in the text of tags, in any case: HTML parser plugins
// name words ("style", say) and want the tags that hold one. The run's page
// scanner notes which of the plugins' words each scanned tag holds, so that
// the run's thread does not search every tag for them again.
#pragma once

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

// The words a scan looks for, one bit of a tag's found set each.
class TTagWords {
public:
    static constexpr size_t kMostWords = 16;
    using TFound = uint16_t;

    // Lower-case words; repeated ones are kept once, and those past
    // kMostWords are dropped (IndexOf does not find them).
    explicit TTagWords(const std::vector<std::string>& lowerWords);

    // Bit i set where word i occurs in text.
    TFound Found(std::string_view text) const;
    // The word's bit index, or npos.
    size_t IndexOf(std::string_view lower) const;
    size_t Count() const { return FWords.size(); }

private:
    std::vector<TTagWord> FWords;
};

// What a scan saw of a tag's words: valid where Words is the list the
// asker counts its bits in (a scan made with another list is searched anew).
struct TTagWordsSeen {
    const TTagWords* Words = nullptr;
    TTagWords::TFound Found = 0;
};

} // namespace vorlin
