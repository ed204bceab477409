// The HTML parser's plugin hooks over the loaded plugins: every enabled HTML
// parser plugin sees the page's texts and tags (and may claim tags), and a
// parser plugin that claimed a document parses it. Plugins register links
// of the page through the add-link callback, which reaches the parser's
// AddLink only while one of these calls runs: a plugin that keeps the
// callback and calls it later gets a failure result, not a dangling parser.
#pragma once

#include "links/HTMLParserHooks.h"
#include "plugins/sdk/VorlinPluginHelpers.h"
#include "rules/PluginStrings.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vorlin {

class TPluginSystem;

class TPluginParserHooks final : public IHTMLParserHooks {
public:
    explicit TPluginParserHooks(TPluginSystem& plugins) : FPlugins(plugins) {}

    void HandleText(TDownloadProject& project, TDownloadLink& page, std::string_view text,
                    const TAddLinkFunction& addLink) override;
    bool HandleTag(TDownloadProject& project, TDownloadLink& page, std::string_view tagName,
                   std::string_view tagText, const TTagWordsSeen& seen, const TAddLinkFunction& addLink) override;
    std::shared_ptr<const TTagInterest> TagInterest() const override;
    bool WantsTexts(const TDownloadLink& page) const override;
    void ParseDocument(vorlin_sdk::IParserPluginInterface* plugin, TDownloadProject& project,
                       TDownloadLink& link, TStream& stream, const std::string& localFilePath,
                       const TAddLinkFunction& addLink) override;

    // The callback handed to plugins; its context is this object.
    static vorlin_sdk::HRESULT AddLinkCallback(void* context, const vorlin_sdk::OLECHAR* url, int32_t linkType,
                                               vorlin_sdk::IDownLoadLink** link);

private:
    class TCallScope;
    // Hands every HTML parser plugin that wants the call (wants(index)) the
    // callback and calls call for each enabled one; strings() makes the
    // call's [in] strings, once, when the first plugin is enabled.
    template <typename W, typename S, typename F>
    void ForEachEnabled(TDownloadProject& project, TDownloadLink& page, const TAddLinkFunction& addLink,
                        W&& wants, S&& strings, F&& call);

    template <typename W> bool AnyWants(W&& wants) const;
    bool TextWanted(const TDownloadLink& page, size_t plugin) const;
    bool TagWanted(size_t plugin, std::string_view tagName, std::string_view tagText,
                   const TTagWordsSeen& seen) const;
    // HandleText and HandleTag for a text or tag some plugin wants.
    [[gnu::noinline]] void HandTextOver(TDownloadProject& project, TDownloadLink& page, std::string_view text,
                                        const TAddLinkFunction& addLink);
    [[gnu::noinline]] bool HandTagOver(TDownloadProject& project, TDownloadLink& page, std::string_view tagName,
                                       std::string_view tagText, const TTagWordsSeen& seen,
                                       const TAddLinkFunction& addLink);
    // Notes start and end tags of the elements whose texts plugins asked
    // for, per page (pages are parsed side by side) and plugin.
    void NoteTextElements(const TDownloadLink& page, std::string_view tagName, std::string_view tagText);
    bool InsideTextElement(const TDownloadLink& page, size_t plugin) const;

    // The objects handed to the hooks for the project and the page, kept
    // from one call to the next while the page stays the same: the hooks run
    // for every text and tag, and the objects only forward to what they wrap.
    // Only the outermost call changes them; a nested call for another page
    // or project uses objects of its own (in held), so that the ones an outer
    // call is handing out stay alive without a reference per call.
    vorlin_sdk::IDownLoadProject* ProjectObject(TDownloadProject& project,
                                                vorlin_sdk::TComRef<vorlin_sdk::IDownLoadProject>& held);
    vorlin_sdk::IDownLoadLink* PageObject(TDownloadLink& page, vorlin_sdk::TComRef<vorlin_sdk::IDownLoadLink>& held);

    // The tag name as an [in] string: tag names repeat (A, DIV, TD), so each
    // is converted once per run, into a slot picked by its length and
    // letters. A slot keeps its first name while the run lasts, so a nested
    // call can't pull one from under an outer call; a name whose slot is
    // taken uses the level's own buffer.
    vorlin_sdk::BSTR TagNameString(std::string_view tagName, TBstrBuffer& fallback);
    struct TTagNameSlot {
        std::string Name;
        TBstr Value;
    };
    static constexpr size_t kTagNameSlots = 128;

    // The [in] strings of one hook call. A plugin's link registration can
    // run the hooks again inside a call, so each nesting level has its own.
    struct TCallStrings {
        TBstrBuffer Name;
        TBstrBuffer Text;
    };
    class TNesting;

    TPluginSystem& FPlugins;
    const TAddLinkFunction* FAddLink = nullptr;  // set while a hook call runs
    std::vector<std::unique_ptr<TCallStrings>> FStrings;  // by nesting level
    size_t FDepth = 0;
    TDownloadProject* FObjectProject = nullptr;
    vorlin_sdk::TComRef<vorlin_sdk::IDownLoadProject> FProjectObject;
    TDownloadLink* FObjectPage = nullptr;
    vorlin_sdk::TComRef<vorlin_sdk::IDownLoadLink> FPageObject;
    std::unique_ptr<TTagNameSlot[]> FTagNames{new TTagNameSlot[kTagNameSlots]};
    // Per page, per plugin: the elements open now whose texts it asked for
    // (one bit each). Pages inside none have no entry; the key is only
    // compared, so a page gone leaves at most an entry that hands a few
    // texts too many.
    std::unordered_map<const TDownloadLink*, std::vector<uint32_t>> FOpenTextElements;
};

} // namespace vorlin
