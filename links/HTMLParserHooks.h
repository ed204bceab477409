// How the HTML link parser reaches the plugins that hook into it: HTML
// parser plugins see every text run and every tag of a page and may claim
// tags; a parser plugin that has claimed a document parses it whole. Each
// call gets the project, the page, and the add-link function through which
// the plugin registers links of that page. The plugin system implements this
// over the loaded plugins; NoHTMLParserHooks() behaves as "no plugins".
#pragma once

#include "links/LinkTypes.h"
#include "links/TagInterest.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace vorlin_sdk {
struct IParserPluginInterface;
}

namespace vorlin {

class TDownloadLink;
class TDownloadProject;
class TStream;

// Registers url as a link of the current page with the given type and
// answers the registered link (the existing one when the URL was known).
// Throws what AddLink throws; a plugin callback must turn that into a
// failure result.
using TAddLinkFunction = std::function<TDownloadLink*(const std::string& url, TLinkType type)>;

class IHTMLParserHooks {
  public:
    virtual ~IHTMLParserHooks() = default;
    // Every enabled HTML parser plugin sees the text between two tags (and
    // the text of a tag without a name).
    virtual void HandleText(TDownloadProject& project, TDownloadLink& page, std::string_view text,
                            const TAddLinkFunction& addLink) = 0;
    // Every enabled HTML parser plugin sees the tag (name in upper case, text
    // without its brackets); true when any of them claimed it, in which case
    // the parser writes it unchanged and does nothing else with it. seen:
    // what a page scan found of TagInterest() in the text, where it looked.
    virtual bool HandleTag(TDownloadProject& project, TDownloadLink& page, std::string_view tagName,
                           std::string_view tagText, const TTagWordsSeen& seen,
                           const TAddLinkFunction& addLink) = 0;
    // What a page scan should look for in tags on the hooks' behalf (null:
    // nothing, and every tag is handed to HandleTag). A tag whose name does
    // not matter there and that holds none of its words is one HandleTag
    // does nothing with.
    virtual std::shared_ptr<const TTagInterest> TagInterest() const { return nullptr; }
    // Whether HandleText would hand texts of the page on now: the parser
    // passes over tags none of the hooks want only while it would not.
    virtual bool WantsTexts(const TDownloadLink& page) const {
        (void)page;
        return true;
    }
    // The parser plugin that claimed the link's document parses it: the
    // stream holds the whole document, localFilePath is where it is stored.
    virtual void ParseDocument(vorlin_sdk::IParserPluginInterface* plugin,
                               TDownloadProject& project, TDownloadLink& link, TStream& stream,
                               const std::string& localFilePath,
                               const TAddLinkFunction& addLink) = 0;
};

// The hooks when no plugin is loaded: texts and tags pass, no tag is claimed,
// and no plugin parses anything.
class TNoHTMLParserHooks final : public IHTMLParserHooks {
  public:
    void HandleText(TDownloadProject&, TDownloadLink&, std::string_view,
                    const TAddLinkFunction&) override {}
    bool HandleTag(TDownloadProject&, TDownloadLink&, std::string_view, std::string_view, const TTagWordsSeen&,
                   const TAddLinkFunction&) override {
        return false;
    }
    std::shared_ptr<const TTagInterest> TagInterest() const override;
    bool WantsTexts(const TDownloadLink&) const override { return false; }
    void ParseDocument(vorlin_sdk::IParserPluginInterface*, TDownloadProject&, TDownloadLink&,
                       TStream&, const std::string&, const TAddLinkFunction&) override {}
};

// The shared instance for parsers that have no plugin system attached.
IHTMLParserHooks& NoHTMLParserHooks();

} // namespace vorlin
