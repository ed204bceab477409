#include "links/PageScan.h"

#include "links/HTMLTagReader.h"

#include <algorithm>
#include <cstring>

namespace vorlin {

TPageScan TPageScan::Read(std::string_view bytes, size_t origin, std::shared_ptr<const TTagInterest> interest) {
    TPageScan scan;
    scan.ReadFrom(bytes, origin, std::move(interest));
    return scan;
}

void TPageScan::Clear() {
    if (Room() > kKeptRoom) {
        *this = TPageScan();
        return;
    }
    FTags.clear();
    FLinks.clear();
    FLinkValues.clear();
    FInterest = nullptr;
    FCursor = 0;
    From = To = 0;
}

size_t TPageScan::Room() const {
    return FTags.capacity() * sizeof(TScannedTag) + FLinks.capacity() * sizeof(TScannedLink) + FLinkValues.capacity();
}

void TPageScan::ReadFrom(std::string_view bytes, size_t origin, std::shared_ptr<const TTagInterest> interest) {
    TPageScan& scan = *this;
    scan.Clear();
    scan.FInterest = std::move(interest);
    scan.From = origin;
    scan.To = origin + bytes.size();
    // Offsets are kept in 32 bits: a longer page is left to the parser.
    if (bytes.size() >= UINT32_MAX) return;
    // Pages hold a tag in every 16 to 40 bytes: room for nearly all at once
    // (what is never filled is never touched either).
    scan.FTags.reserve(std::min(bytes.size() / 16 + 1, kMostTags));
    THTMLTagReader reader;
    reader.Attach(bytes.data(), origin, origin + bytes.size(), origin);
    std::string name;
    while (!reader.AtEnd() && scan.FTags.size() < kMostTags) {
        const size_t itemStart = reader.Position();
        reader.ReadText();
        std::string_view text;
        if (!reader.TryReadTag(text)) break;  // unfinished: the parser reads it itself
        AssignTagName(text, name);
        // A name too long to keep: the parser reads from here on by itself.
        if (name.size() > TScannedTag::kLongestName) break;
        // Filled in place: a page has thousands.
        TScannedTag& tag = scan.FTags.emplace_back();
        tag.ItemStart = static_cast<uint32_t>(itemStart - origin);
        tag.Lt = static_cast<uint32_t>(text.data() - bytes.data() - 1);
        tag.TextLength = static_cast<uint32_t>(text.size());
        tag.After = static_cast<uint32_t>(reader.Position() - origin);
        tag.NameLength = static_cast<uint8_t>(name.size());
        std::memcpy(tag.Name, name.data(), name.size());
        if (scan.FInterest && !name.empty() && scan.FInterest->Count()) tag.Words = scan.FInterest->Found(text);
        bool source = false;
        if (!name.empty() && name[0] != '!') {
            const TLinkAttribute link = FindLinkAttribute(text, name);
            source = link.Type != ltNone;
            // Values are no longer than the page: this holds them in 32 bits.
            if (source && scan.FLinkValues.size() + link.Value.size() >= UINT32_MAX) break;
            if (source) {
                tag.Link = static_cast<int32_t>(scan.FLinks.size());
                scan.FLinks.push_back({link.Type, static_cast<uint32_t>(scan.FLinkValues.size()),
                                       static_cast<uint32_t>(link.Value.size()), static_cast<uint32_t>(link.Position),
                                       static_cast<uint32_t>(link.Length)});
                scan.FLinkValues += link.Value;
            }
            tag.Srcset = MayHaveSrcset(name, text);
            tag.Plain = !source && !tag.Srcset && tag.Words == 0 && scan.FInterest && name != "SCRIPT" &&
                        name != "APPLET" && name != "BASE" && !scan.FInterest->NameMatters(name);
        }
        // An inline script's body runs to its end tag, as the parser reads it.
        if (name == "SCRIPT" && text[0] != '/' && !source) {
            std::string_view passed;
            if (!reader.TryReadScriptBody(passed)) break;
        }
    }
}

const TScannedTag* TPageScan::Next(size_t position) {
    if (position < From) return nullptr;
    const size_t offset = position - From;
    while (FCursor < FTags.size() && FTags[FCursor].Lt < offset) ++FCursor;
    if (FCursor == FTags.size()) return nullptr;
    const TScannedTag& tag = FTags[FCursor];
    // Read from before position up to this "<" without meeting another.
    return tag.ItemStart <= offset ? &tag : nullptr;
}

size_t TPageScan::PassPlain() {
    // A page's tags are mostly plain: this runs over them without a call each.
    size_t last = FCursor;
    while (last + 1 < FTags.size() && FTags[last + 1].Plain && FTags[last + 1].ItemStart == FTags[last].After) ++last;
    FCursor = last;
    return From + FTags[last].After;
}

TLinkAttributeView TPageScan::LinkOf(const TScannedTag& tag) const {
    if (tag.Link < 0) return {};
    const TScannedLink& link = FLinks[static_cast<size_t>(tag.Link)];
    return {link.Type, std::string_view(FLinkValues).substr(link.ValueAt, link.ValueLength), link.Position,
            link.Length};
}

} // namespace vorlin
