#include "links/StoredReferenceRewriter.h"

#include "links/HTMLAttributes.h"
#include "links/HTMLTagReader.h"
#include "platform/FileSystem.h"
#include "platform/Stream.h"
#include "platform/StringUtils.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unistd.h>
#include <vector>

namespace vorlin {

namespace {

struct TRegion {
    size_t Begin, End;  // [Begin, End) of the text where values stand
};

struct TEdit {
    size_t Position, Length;
    const std::string* To;
};

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }

// What may stand before a value (a quote, "(", "=", a blank) and what ends
// one or its path (a quote, ")", "#", a blank); tables, as every character
// of the pages to repair is looked at.
struct TCharacterClasses {
    bool Opens[256] = {};
    bool Ends[256] = {};
    constexpr TCharacterClasses() {
        for (char c : std::string_view("\"'(= \t\r\n\f")) Opens[static_cast<unsigned char>(c)] = true;
        for (char c : std::string_view("\"')# \t\r\n\f")) Ends[static_cast<unsigned char>(c)] = true;
    }
};
constexpr TCharacterClasses kClass;

// The name of a tag as it is written (after the "/" of an end tag): most
// tags are passed over on it without making the upper-case name.
std::string_view NameOf(std::string_view tag) {
    if (!tag.empty() && tag[0] == '/') tag.remove_prefix(1);
    size_t end = 0;
    while (end < tag.size() && !IsBlank(tag[end])) ++end;
    return tag.substr(0, end);
}

// The parts of a page where references were written: tag texts (not of
// comments or declarations) and the bodies of STYLE elements. Bodies of
// inline scripts are passed over whole, as the parser does. Only the
// regions that begin at or before upTo are wanted: the page is read no
// further (a page's repairs are often all in its head).
std::vector<TRegion> PageRegions(const std::string& text, size_t upTo = std::string::npos) {
    std::vector<TRegion> regions;
    THTMLTagReader reader;
    reader.Attach(text.data(), 0, text.size(), 0);
    bool inStyle = false;
    while (!reader.AtEnd() && reader.Position() <= upTo) {
        const size_t textStart = reader.Position();
        reader.ReadText();
        if (inStyle && reader.Position() > textStart) regions.push_back({textStart, reader.Position()});
        std::string_view tag;
        if (!reader.TryReadTag(tag)) break;
        const size_t tagStart = static_cast<size_t>(tag.data() - text.data());
        const bool endTag = !tag.empty() && tag[0] == '/';
        const std::string_view name = NameOf(tag);
        if (name.empty() || name[0] == '!') continue;
        regions.push_back({tagStart, tagStart + tag.size()});
        if (SameText(name, "STYLE")) inStyle = !endTag;
        // As the parser reads it: a script with a src is followed by text.
        if (!endTag && SameText(name, "SCRIPT") && FindLinkAttribute(tag, "SCRIPT").Type == ltNone) {
            std::string_view passed;
            while (!reader.AtEnd() && !reader.TryReadScriptBody(passed)) {
            }
        }
    }
    return regions;
}

// The texts to replace, and which lengths they have: most places where a
// value may begin are passed over by their length alone, unhashed.
struct TReplacementMap {
    std::unordered_map<std::string_view, const std::string*> Texts;
    std::vector<bool> Lengths;
    bool AnyWithHash = false;  // some text holds a "#" (an absolute address's "&#39;")

    void Add(const std::string& from, const std::string* to) {
        if (!Texts.emplace(from, to).second) return;  // the first for a text wins
        if (Lengths.size() <= from.size()) Lengths.resize(from.size() + 1);
        Lengths[from.size()] = true;
        AnyWithHash = AnyWithHash || from.find('#') != std::string::npos;
    }
    const std::string* Find(std::string_view text) const {
        if (text.size() >= Lengths.size() || !Lengths[text.size()]) return nullptr;
        auto found = Texts.find(text);
        return found == Texts.end() ? nullptr : found->second;
    }
};

// Each place where a value may begin is looked up once: the text up to the
// next character that ends a value, or up to a "#" inside it (an absolute
// address in a page may hold "&#39;"), the longest known one winning. So
// the cost follows the length of the text, not the number of references.
void FindIn(const std::string& text, const TRegion& region, const TReplacementMap& map, std::vector<TEdit>& edits) {
    const std::string_view all(text);
    // From one place where a value may begin to the next: after the next
    // character that opens a value.
    for (size_t at = region.Begin; at < region.End;) {
        size_t end = at;
        while (end < region.End && !kClass.Ends[static_cast<unsigned char>(text[end])]) ++end;
        size_t longest = 0;
        const std::string* to = nullptr;
        for (size_t stop = end;; ++stop) {
            if (const std::string* found = map.Find(all.substr(at, stop - at))) {
                longest = stop - at;
                to = found;
            }
            // Past a "#": the value may go on (an escaped character), or end there.
            if (!map.AnyWithHash || stop >= region.End || text[stop] != '#') break;
            while (stop + 1 < region.End && !kClass.Ends[static_cast<unsigned char>(text[stop + 1])]) ++stop;
        }
        if (to && longest > 0) edits.push_back({at, longest, to});
        while (at < region.End && !kClass.Opens[static_cast<unsigned char>(text[at])]) ++at;
        ++at;
    }
}

// With few texts to replace (the usual repair: a page names a handful of
// links that were not stored), each is searched for on its own, which
// passes over the page at the speed of memchr; a place it occurs counts
// where FindIn would have found it: a value may begin there (the start of a
// region, or after a character that opens a value), it ends at a character
// that ends a value or at the region's end, and it holds no such character
// but "#" (which FindIn reads past).
constexpr size_t kSearchedOneByOne = 8;

bool Findable(std::string_view from) {
    for (char c : from)
        if (c != '#' && kClass.Ends[static_cast<unsigned char>(c)]) return false;
    return true;
}

void FindEach(const std::string& text, TReferenceContainer container, const TReplacementMap& map,
              std::vector<TEdit>& edits) {
    std::vector<TEdit> found;
    for (const auto& [from, to] : map.Texts) {
        if (!Findable(from)) continue;
        for (size_t p = text.find(from); p != std::string::npos; p = text.find(from, p + 1))
            found.push_back({p, from.size(), to});
    }
    if (found.empty()) return;
    // Most pages hold none of the texts: their tags are never read, and of
    // the others only up to the last place found.
    size_t last = 0;
    for (const TEdit& edit : found) last = std::max(last, edit.Position);
    const std::vector<TRegion> regions = container == TReferenceContainer::rcCss
                                             ? std::vector<TRegion>{{0, text.size()}}
                                             : PageRegions(text, last);
    for (const TEdit& edit : found) {
        // The region that holds the place: the first that ends after it.
        auto region = std::upper_bound(regions.begin(), regions.end(), edit.Position,
                                       [](size_t at, const TRegion& r) { return at < r.End; });
        if (region == regions.end() || region->Begin > edit.Position) continue;
        const size_t after = edit.Position + edit.Length;
        if (after > region->End) continue;
        if (edit.Position != region->Begin && !kClass.Opens[static_cast<unsigned char>(text[edit.Position - 1])])
            continue;
        if (after != region->End && !kClass.Ends[static_cast<unsigned char>(text[after])]) continue;
        edits.push_back(edit);
    }
}

} // namespace

int ReplaceReferences(std::string& text, TReferenceContainer container,
                      const std::vector<TReferenceReplacement>& replacements) {
    TReplacementMap map;
    for (const TReferenceReplacement& r : replacements)
        if (!r.From.empty() && r.From != r.To) map.Add(r.From, &r.To);
    if (map.Texts.empty()) return 0;
    std::vector<TEdit> edits;
    if (map.Texts.size() <= kSearchedOneByOne)
        FindEach(text, container, map, edits);
    else if (container == TReferenceContainer::rcCss)
        FindIn(text, {0, text.size()}, map, edits);
    else
        for (const TRegion& region : PageRegions(text)) FindIn(text, region, map, edits);
    if (edits.empty()) return 0;
    // Where two texts were found at one place, the longer one is the value.
    std::sort(edits.begin(), edits.end(), [](const TEdit& a, const TEdit& b) {
        return a.Position != b.Position ? a.Position < b.Position : a.Length > b.Length;
    });
    std::string out;
    out.reserve(text.size() + 64);
    size_t copied = 0;
    int made = 0;
    for (const TEdit& edit : edits) {
        if (edit.Position < copied) continue;  // inside one already replaced
        out.append(text, copied, edit.Position - copied);
        out += *edit.To;
        copied = edit.Position + edit.Length;
        ++made;
    }
    out.append(text, copied, std::string::npos);
    text.swap(out);
    return made;
}

int RewriteStoredReferences(const std::string& hostPath, TReferenceContainer container,
                            const std::vector<TReferenceReplacement>& replacements) {
    TMemoryStream stored;
    stored.LoadFromFile(hostPath);
    std::string text = stored.ToString();
    const int made = ReplaceReferences(text, container, replacements);
    if (made == 0) return 0;
    // The copy keeps its date (the server's, as it was stored).
    const int64_t modified = FileModificationTime(hostPath);
    // Replaced whole or not at all, as the page was written: a temporary
    // file renamed over it (a stored page is no data file to force to disk).
    const std::string temp = hostPath + ".tmp" + std::to_string(::getpid());
    try {
        {
            TFileStream file(temp, fmCreate);
            file.WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
            if (modified >= 0) SetFileModificationTime(file.Handle(), modified);
        }
        if (!RenameFile(temp, hostPath)) throw EStreamError("Cannot replace \"" + hostPath + "\" with its new copy");
    } catch (...) {
        DeleteFile(temp);
        throw;
    }
    return made;
}

} // namespace vorlin
