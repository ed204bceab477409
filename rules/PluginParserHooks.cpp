#include "rules/PluginParserHooks.h"

#include "rules/ComStream.h"
#include "rules/DownloadLinkAdapter.h"
#include "rules/DownloadProjectAdapter.h"
#include "rules/HandedTag.h"
#include "rules/PluginStrings.h"
#include "rules/PluginSystem.h"

#include <algorithm>

namespace vorlin {

using namespace vorlin_sdk;

// Makes the parser's add-link function reachable for the length of one
// hook call (calls nest when a plugin's link registration runs hooks).
class TPluginParserHooks::TCallScope {
public:
    TCallScope(TPluginParserHooks& hooks, const TAddLinkFunction& addLink)
        : FHooks(hooks), FSaved(hooks.FAddLink) {
        FHooks.FAddLink = &addLink;
    }
    ~TCallScope() { FHooks.FAddLink = FSaved; }
    TCallScope(const TCallScope&) = delete;
    TCallScope& operator=(const TCallScope&) = delete;

private:
    TPluginParserHooks& FHooks;
    const TAddLinkFunction* FSaved;
};

// Hands out the strings of the current nesting level for one hook call.
class TPluginParserHooks::TNesting {
public:
    explicit TNesting(TPluginParserHooks& hooks) : FHooks(hooks) {
        if (FHooks.FStrings.size() <= FHooks.FDepth) FHooks.FStrings.push_back(std::make_unique<TCallStrings>());
        FStrings = FHooks.FStrings[FHooks.FDepth].get();
        ++FHooks.FDepth;
    }
    ~TNesting() { --FHooks.FDepth; }
    TNesting(const TNesting&) = delete;
    TNesting& operator=(const TNesting&) = delete;
    TCallStrings& Strings() { return *FStrings; }

private:
    TPluginParserHooks& FHooks;
    TCallStrings* FStrings;
};

HRESULT TPluginParserHooks::AddLinkCallback(void* context, const OLECHAR* url, int32_t linkType,
                                            IDownLoadLink** link) {
    if (link) *link = nullptr;
    auto* self = static_cast<TPluginParserHooks*>(context);
    if (!self || !url) return E_POINTER;
    if (!self->FAddLink) return E_FAIL;  // no page is being parsed now
    if (linkType < ltSource || linkType > ltAppletArchive) return E_INVALIDARG;
    return GuardedCall([&] {
        TDownloadLink* added = (*self->FAddLink)(WideToUtf8(url), static_cast<TLinkType>(linkType));
        if (link && added) *link = CreateDownloadLinkAdapter(*added);
    });
}

namespace {

// The object kept for wrapped, made anew when it wraps something else; in a
// nested call (depth > 1) the kept one stays as it is and a new one is held
// by the call.
template <typename I, typename T, typename Create>
I* KeptObject(T& wrapped, T*& keptFor, TComRef<I>& kept, TComRef<I>& held, size_t depth, Create create) {
    if (keptFor == &wrapped && kept) return kept.Get();
    TComRef<I>& holder = depth > 1 ? held : kept;
    holder = TComRef<I>(create(wrapped));
    if (depth <= 1) keptFor = &wrapped;
    return holder.Get();
}

} // namespace

IDownLoadProject* TPluginParserHooks::ProjectObject(TDownloadProject& project, TComRef<IDownLoadProject>& held) {
    return KeptObject(project, FObjectProject, FProjectObject, held, FDepth, CreateDownloadProjectAdapter);
}

IDownLoadLink* TPluginParserHooks::PageObject(TDownloadLink& page, TComRef<IDownLoadLink>& held) {
    return KeptObject(page, FObjectPage, FPageObject, held, FDepth, CreateDownloadLinkAdapter);
}

namespace {

// Whether the string still holds exactly the ASCII name (a plugin must not
// change an [in] string, but one that did must not rename later tags).
bool HoldsName(BSTR value, std::string_view name) {
    if (!value || VorlinStringLen(value) != name.size()) return false;
    for (size_t i = 0; i < name.size(); ++i)
        if (value[i] != static_cast<unsigned char>(name[i])) return false;
    return true;
}

} // namespace

BSTR TPluginParserHooks::TagNameString(std::string_view tagName, TBstrBuffer& fallback) {
    if (!tagName.empty() && IsAscii(tagName)) {
        size_t key = tagName.size() * 31 + static_cast<unsigned char>(tagName.front()) * 7 +
                     static_cast<unsigned char>(tagName.back());
        TTagNameSlot& slot = FTagNames[key % kTagNameSlots];
        if (slot.Name.empty()) {
            *slot.Value.Out() = NewBstr(tagName);
            if (slot.Value.Get()) slot.Name.assign(tagName);
        }
        if (slot.Name == tagName && HoldsName(slot.Value.Get(), tagName)) return slot.Value.Get();
    }
    return fallback.Set(tagName);
}

// Hands every HTML parser plugin that wants the call the callback and lets
// call ask each enabled one.
template <typename W, typename S, typename F>
void TPluginParserHooks::ForEachEnabled(TDownloadProject& project, TDownloadLink& page,
                                        const TAddLinkFunction& addLink, W&& wants, S&& strings, F&& call) {
    TCallScope scope(*this, addLink);
    TComRef<IDownLoadProject> heldProject;
    TComRef<IDownLoadLink> heldPage;
    IDownLoadProject* projectObject = nullptr;
    IDownLoadLink* pageObject = nullptr;
    const auto& plugins = FPlugins.HTMLParserPlugins();
    for (size_t i = 0; i < plugins.size(); ++i) {
        if (!wants(i)) continue;
        auto& h = plugins[i];
        CheckPluginResult(h.Interface->SetAddLinkCallback(&AddLinkCallback, this), h.Owner->Name,
                          "SetAddLinkCallback");
        if (!TPluginSystem::IsEnabled(h)) continue;
        if (!projectObject) {
            projectObject = ProjectObject(project, heldProject);
            pageObject = PageObject(page, heldPage);
            strings();
        }
        call(h, projectObject, pageObject);
    }
}

// Most tags and texts are wanted by no plugin: those cost no call set-up.
template <typename W> bool TPluginParserHooks::AnyWants(W&& wants) const {
    const size_t count = FPlugins.HTMLParserPlugins().size();
    for (size_t i = 0; i < count; ++i)
        if (wants(i)) return true;
    return false;
}

void TPluginParserHooks::NoteTextElements(const TDownloadLink& page, std::string_view tagName,
                                          std::string_view tagText) {
    const auto& interests = FPlugins.HTMLParserInterests();
    const bool endTag = !tagText.empty() && tagText[0] == '/';
    for (size_t i = 0; i < interests.size(); ++i) {
        const uint32_t bit = interests[i].TextElementBit(tagName);
        if (!bit) continue;
        if (!endTag) {
            std::vector<uint32_t>& open = FOpenTextElements[&page];
            open.resize(interests.size());
            open[i] |= bit;
            continue;
        }
        auto found = FOpenTextElements.find(&page);
        if (found == FOpenTextElements.end()) continue;
        found->second[i] &= ~bit;
        if (std::all_of(found->second.begin(), found->second.end(), [](uint32_t b) { return b == 0; }))
            FOpenTextElements.erase(found);
    }
}

bool TPluginParserHooks::InsideTextElement(const TDownloadLink& page, size_t plugin) const {
    if (FOpenTextElements.empty()) return false;  // no page is inside one: the usual case
    auto found = FOpenTextElements.find(&page);
    return found != FOpenTextElements.end() && plugin < found->second.size() && found->second[plugin] != 0;
}

// A plugin that said nothing of its interests (index past the list) wants
// all. Asked for every text and tag, in the functions below only.
[[gnu::always_inline]] inline bool TPluginParserHooks::TextWanted(const TDownloadLink& page, size_t plugin) const {
    const auto& interests = FPlugins.HTMLParserInterests();
    if (plugin >= interests.size() || interests[plugin].WantsAllTexts()) return true;
    return interests[plugin].WantsTextsInside() && InsideTextElement(page, plugin);
}

[[gnu::always_inline]] inline bool TPluginParserHooks::TagWanted(size_t plugin, std::string_view tagName,
                                                                std::string_view tagText,
                                                                const TTagWordsSeen& seen) const {
    const auto& interests = FPlugins.HTMLParserInterests();
    return plugin >= interests.size() || interests[plugin].WantsTag(tagName, tagText, seen);
}

std::shared_ptr<const TTagInterest> TPluginParserHooks::TagInterest() const { return FPlugins.TagInterest(); }

bool TPluginParserHooks::WantsTexts(const TDownloadLink& page) const {
    return AnyWants([&](size_t i) { return TextWanted(page, i); });
}

void TPluginParserHooks::HandleText(TDownloadProject& project, TDownloadLink& page, std::string_view text,
                                    const TAddLinkFunction& addLink) {
    auto wants = [&](size_t i) { return TextWanted(page, i); };
    if (!AnyWants(wants)) return;
    HandTextOver(project, page, text, addLink);
}

void TPluginParserHooks::HandTextOver(TDownloadProject& project, TDownloadLink& page, std::string_view text,
                                      const TAddLinkFunction& addLink) {
    auto wants = [&](size_t i) { return TextWanted(page, i); };
    TNesting level(*this);
    BSTR wideText = nullptr;
    ForEachEnabled(
        project, page, addLink, wants, [&] { wideText = level.Strings().Text.Set(text); },
        [&](auto& h, IDownLoadProject* p, IDownLoadLink* l) {
            CheckPluginResult(h.Interface->HandleText(p, l, wideText), h.Owner->Name, "HandleText");
        });
}

bool TPluginParserHooks::HandleTag(TDownloadProject& project, TDownloadLink& page, std::string_view tagName,
                                   std::string_view tagText, const TTagWordsSeen& seen,
                                   const TAddLinkFunction& addLink) {
    const auto& interests = FPlugins.HTMLParserInterests();
    // Most tags start or end no element whose texts a plugin asked for.
    if (FPlugins.AnyTextsInside())
        for (const THTMLParserInterest& interest : interests)
            if (interest.TextElementBit(tagName)) {
                NoteTextElements(page, tagName, tagText);
                break;
            }
    auto wants = [&](size_t i) { return TagWanted(i, tagName, tagText, seen); };
    // Most tags are wanted by none: that answer costs no more than the
    // checks, the handing over lives apart (as for texts).
    if (!AnyWants(wants)) return false;
    return HandTagOver(project, page, tagName, tagText, seen, addLink);
}

bool TPluginParserHooks::HandTagOver(TDownloadProject& project, TDownloadLink& page, std::string_view tagName,
                                     std::string_view tagText, const TTagWordsSeen& seen,
                                     const TAddLinkFunction& addLink) {
    auto wants = [&](size_t i) { return TagWanted(i, tagName, tagText, seen); };
    TNesting level(*this);
    BSTR name = nullptr;
    BSTR text = nullptr;
    bool claimed = false;
    // Every enabled plugin that wants the tag sees it, also after one has claimed it.
    ForEachEnabled(
        project, page, addLink, wants,
        [&] {
            name = TagNameString(tagName, level.Strings().Name);
            text = level.Strings().Text.Set(tagText);
        },
        [&](auto& h, IDownLoadProject* p, IDownLoadLink* l) {
            THandedTagScope handed(text, tagText);
            VBOOL handled = 0;
            CheckPluginResult(h.Interface->HandleTag(p, l, name, text, &handled), h.Owner->Name, "HandleTag");
            claimed = claimed || handled != 0;
        });
    return claimed;
}

void TPluginParserHooks::ParseDocument(IParserPluginInterface* plugin, TDownloadProject& project,
                                       TDownloadLink& link, TStream& stream, const std::string& localFilePath,
                                       const TAddLinkFunction& addLink) {
    if (!plugin) return;
    std::string name = "parser plugin";
    for (auto& p : FPlugins.ParserPlugins())
        if (p.Interface == plugin) name = p.Owner->Name;
    TCallScope scope(*this, addLink);
    CheckPluginResult(plugin->SetAddLinkCallback(&AddLinkCallback, this), name, "SetAddLinkCallback");
    TComRef<IDownLoadProject> projectObject(CreateDownloadProjectAdapter(project));
    TComRef<IDownLoadLink> linkObject(CreateDownloadLinkAdapter(link));
    TComRef<TComStream> streamObject(TComStream::Create(stream));
    CheckPluginResult(plugin->Parse(projectObject.Get(), linkObject.Get(), streamObject.Get(), localFilePath.c_str()),
                      name, "Parse");
}

} // namespace vorlin
