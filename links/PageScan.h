// A page's tags read ahead of its parser, on another thread: where each
// tag stands, its name and the link attribute it names, all of which
// depend on the page's bytes alone. The parser, reading the same bytes on
// the run's thread, takes a tag from the scan when the scan saw the tag it
// meets next, and reads on by itself where the scan went another way (a
// script body a plugin's claim kept from being one, say): what it does
// with the page is the same either way, only cheaper.
#pragma once

#include "links/HTMLAttributes.h"
#include "links/TagInterest.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vorlin {

// A page has thousands of tags: an entry is kept small, positions count
// from the scan's first byte, and the link attributes, which few tags name,
// are kept apart.
struct TScannedTag {
    static constexpr size_t kLongestName = 15;
    uint32_t ItemStart = 0;   // where the text before the tag began
    uint32_t Lt = 0;          // the tag's "<"
    uint32_t TextLength = 0;  // of the tag text after "<" (as the reader gives it)
    uint32_t After = 0;       // where reading goes on after the tag
    int32_t Link = -1;        // its link attribute's index, or -1: none
    uint8_t NameLength : 4 = 0;  // of Name; longer names are not kept
    bool Srcset : 1 = false;     // as MayHaveSrcset tells
    // Named, no link, no srcset, none of SCRIPT, APPLET, BASE or "!", and
    // of no interest to the hooks: the parser does nothing with it.
    bool Plain : 1 = false;
    TTagInterest::TFound Words = 0;  // which of the scan's words the tag text holds
    char Name[kLongestName]{};  // as AssignTagName makes it
};

class TPageScan {
public:
    // Reads bytes, the page from position origin to its end, as the
    // parser's reader does from origin on: text, tags and comments, and
    // the body of a SCRIPT that names no source passed over whole;
    // interest: what to note of every named tag for the parser's hooks
    // (null: nothing, and no tag is plain).
    static TPageScan Read(std::string_view bytes, size_t origin,
                          std::shared_ptr<const TTagInterest> interest = nullptr);
    // The same, into this scan's room: a scan handed back after use is read
    // into again, without new memory to fault in for every page.
    void ReadFrom(std::string_view bytes, size_t origin, std::shared_ptr<const TTagInterest> interest = nullptr);
    // Empty, keeping its room unless that is more than kKeptRoom.
    void Clear();
    // The bytes its room takes.
    size_t Room() const;
    static constexpr size_t kKeptRoom = 1 << 20;
    // A scan keeps at most this many tags (2.5 MB): a page of nothing but
    // tags ("<><><>") would otherwise take twenty times its size. The
    // parser reads the rest by itself.
    static constexpr size_t kMostTags = 1 << 16;

    // The tag the reader meets next from position (nothing but text lies
    // between), if the scan read it; positions must not go back.
    const TScannedTag* Next(size_t position);
    size_t Count() const { return FTags.size(); }
    // Positions of a tag, as the page counts them.
    size_t PositionOf(uint32_t offset) const { return From + offset; }
    // The tag's name, as AssignTagName makes it.
    static std::string_view NameOf(const TScannedTag& tag) { return {tag.Name, tag.NameLength}; }
    // From a plain tag Next answered: where reading goes on after the run
    // of plain tags it starts (each read from where the one before ended).
    size_t PassPlain();
    // What the scan looked for on the hooks' behalf (null: nothing).
    const TTagInterest* Interest() const { return FInterest.get(); }
    // What the scan saw of its words in the tag's text.
    TTagWordsSeen WordsOf(const TScannedTag& tag) const { return {FInterest.get(), tag.Words}; }
    // The link attribute FindLinkAttribute finds in the tag, its value kept
    // by the scan.
    TLinkAttributeView LinkOf(const TScannedTag& tag) const;

    // The bytes read: from position From up to To.
    size_t From = 0, To = 0;

private:
    std::vector<TScannedTag> FTags;
    // The link attributes' values all in one text: a scan made on another
    // thread hands over no string per link, to be freed on the run's.
    struct TScannedLink {
        TLinkType Type = ltNone;
        uint32_t ValueAt = 0, ValueLength = 0;  // in FLinkValues
        uint32_t Position = 0, Length = 0;      // as TLinkAttribute's
    };
    std::vector<TScannedLink> FLinks;
    std::string FLinkValues;
    // Held while the scan is: its address then names no other interest.
    std::shared_ptr<const TTagInterest> FInterest;
    size_t FCursor = 0;
};

} // namespace vorlin
