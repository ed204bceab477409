#include "links/StoredReferenceRewriter.h"

#include "links/HTMLAttributes.h"
#include "links/HTMLTagReader.h"
#include "platform/FileSystem.h"
#include "platform/Stream.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>

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
bool OpensValue(char c) { return c == '"' || c == '\'' || c == '(' || c == '=' || IsBlank(c); }
bool ClosesValue(char c) { return c == '"' || c == '\'' || c == ')' || c == '#' || IsBlank(c); }

// The parts of a page where references were written: tag texts (not of
// comments or declarations) and the bodies of STYLE elements. Bodies of
// inline scripts are passed over whole, as the parser does.
std::vector<TRegion> PageRegions(const std::string& text) {
    std::vector<TRegion> regions;
    THTMLTagReader reader;
    reader.Attach(text.data(), text.size(), 0);
    bool inStyle = false;
    while (!reader.AtEnd()) {
        const size_t textStart = reader.Position();
        reader.ReadText();
        if (inStyle && reader.Position() > textStart) regions.push_back({textStart, reader.Position()});
        std::string_view tag;
        if (!reader.TryReadTag(tag)) break;
        const size_t tagStart = static_cast<size_t>(tag.data() - text.data());
        const std::string name = TagNameOf(tag);
        if (name.empty() || name[0] == '!') continue;
        const bool endTag = tag[0] == '/';
        regions.push_back({tagStart, tagStart + tag.size()});
        if (name == "STYLE") inStyle = !endTag;
        // As the parser reads it: a script with a src is followed by text.
        if (name == "SCRIPT" && !endTag && FindLinkAttribute(tag, name).Type == ltNone) {
            std::string_view passed;
            while (!reader.AtEnd() && !reader.TryReadScriptBody(passed)) {
            }
        }
    }
    return regions;
}

using TReplacementMap = std::unordered_map<std::string_view, const std::string*>;

// Each place where a value may begin is looked up once: the text up to the
// next character that ends a value, or up to a "#" inside it (an absolute
// address in a page may hold "&#39;"), the longest known one winning. So
// the cost follows the length of the text, not the number of references.
void FindIn(const std::string& text, const TRegion& region, const TReplacementMap& map, std::vector<TEdit>& edits) {
    for (size_t at = region.Begin; at < region.End; ++at) {
        if (at > region.Begin && !OpensValue(text[at - 1])) continue;
        size_t end = at;
        while (end < region.End && !ClosesValue(text[end]) && text[end] != '#') ++end;
        size_t longest = 0;
        const std::string* to = nullptr;
        for (size_t stop = end;; ++stop) {
            auto found = map.find(std::string_view(text).substr(at, stop - at));
            if (found != map.end()) {
                longest = stop - at;
                to = found->second;
            }
            // Past a "#": the value may go on (an escaped character), or end there.
            if (stop >= region.End || text[stop] != '#') break;
            while (stop + 1 < region.End && !ClosesValue(text[stop + 1]) && text[stop + 1] != '#') ++stop;
        }
        if (to && longest > 0) edits.push_back({at, longest, to});
    }
}

} // namespace

int ReplaceReferences(std::string& text, TReferenceContainer container,
                      const std::vector<TReferenceReplacement>& replacements) {
    TReplacementMap map;
    for (const TReferenceReplacement& r : replacements)
        if (!r.From.empty() && r.From != r.To) map.emplace(r.From, &r.To);  // the first for a text wins
    if (map.empty()) return 0;
    std::vector<TEdit> edits;
    if (container == TReferenceContainer::rcCss)
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
    WriteFileAtomically(hostPath, [&](TFileStream& file) { file.WriteBuffer(text.data(), static_cast<int64_t>(text.size())); });
    return made;
}

} // namespace vorlin
