#include "links/HTMLParserHooks.h"

#include "HTMLParserFixture.h"

using namespace vorlin;

namespace {

// Records what the parser shows the plugins; claims the tags named in
// Claimed and registers Extra through the add-link function on the first
// text it sees.
class TRecordingHooks final : public IHTMLParserHooks {
  public:
    void HandleText(TDownloadProject&, TDownloadLink& page, std::string_view text,
                    const TAddLinkFunction& addLink) override {
        Texts.emplace_back(text);
        Pages.push_back(&page);
        if (!Extra.empty()) {
            Added = addLink(Extra, ltSource);
            Extra.clear();
        }
    }
    bool HandleTag(TDownloadProject&, TDownloadLink&, std::string_view tagName,
                   std::string_view tagText, const TTagWordsSeen&, const TAddLinkFunction&) override {
        Tags.push_back(std::string(tagName) + "|" + std::string(tagText));
        return Claimed.count(std::string(tagName)) != 0;
    }
    void ParseDocument(vorlin_sdk::IParserPluginInterface* plugin, TDownloadProject&,
                       TDownloadLink& link, TStream& stream, const std::string& localFilePath,
                       const TAddLinkFunction& addLink) override {
        Plugin = plugin;
        Path = localFilePath;
        StreamSize = stream.Size();
        Added = addLink("inside.pdf", ltPage);
        DocumentLink = &link;
    }

    std::vector<std::string> Texts, Tags;
    std::vector<TDownloadLink*> Pages;
    std::set<std::string> Claimed;
    std::string Extra;
    TDownloadLink* Added = nullptr;
    vorlin_sdk::IParserPluginInterface* Plugin = nullptr;
    std::string Path;
    int64_t StreamSize = -1;
    TDownloadLink* DocumentLink = nullptr;
};

class HTMLParserHooks : public THTMLParserFixture {
  protected:
    void SetUp() override {
        THTMLParserFixture::SetUp();
        Parser = std::make_unique<THTMLParser>(Project, Hooks);
    }
    TRecordingHooks Hooks;
};

using TTexts = std::vector<std::string>;

} // namespace

TEST_F(HTMLParserHooks, PluginsSeeEveryTextAndTag) {
    Parse("one<b>two</b><>x < y<!-- c -->");
    EXPECT_EQ(Hooks.Texts, (TTexts{"one", "two", "x ", "< y<!-- c -->"}));
    EXPECT_EQ(Hooks.Tags, (TTexts{"B|b", "B|/b"}));
    for (TDownloadLink* page : Hooks.Pages)
        EXPECT_EQ(page, PageLink);
}

TEST_F(HTMLParserHooks, AClaimedTagIsWrittenUnchangedAndNotFollowed) {
    Hooks.Claimed = {"IMG", "SCRIPT"};
    const std::string html = "<img src=/x.gif><a href=/y.html><script>i.src='z.gif';\n</script>";
    EXPECT_EQ(Parse(html), "<img src=/x.gif><a href=../y.html><script>i.src='z.gif';\n</script>");
    EXPECT_EQ(Find("http://h/x.gif"), nullptr);
    EXPECT_NE(Find("http://h/y.html"), nullptr);
    // The claimed script tag's body is plain text to the parser.
    EXPECT_EQ(Find("http://h/a/z.gif"), nullptr);
    EXPECT_EQ(Hooks.Texts.back(), "i.src='z.gif';\n");
}

TEST_F(HTMLParserHooks, PluginsAddLinksOfThePage) {
    Hooks.Extra = "/from/plugin.gif";
    Parse("text");
    ASSERT_NE(Hooks.Added, nullptr);
    EXPECT_EQ(Hooks.Added->FullURL(), "http://h/from/plugin.gif");
    EXPECT_EQ(Hooks.Added->Referrers, (std::vector<TDownloadLink*>{PageLink}));
}

TEST_F(HTMLParserHooks, ParserPluginsGetTheWholeDocument) {
    TDownloadLink* pdf = AddStoredLink("http://h/", "docs/file.pdf", ltPage);
    TMemoryStream stream;
    stream.Write("%PDF", 4);
    auto* plugin = reinterpret_cast<vorlin_sdk::IParserPluginInterface*>(&stream);
    Parser->ParseWithPlugin(plugin, *pdf, stream);
    EXPECT_EQ(Hooks.Plugin, plugin);
    EXPECT_EQ(Hooks.DocumentLink, pdf);
    EXPECT_EQ(Hooks.Path, LinkFilePath(Project, *pdf));
    EXPECT_EQ(Hooks.StreamSize, 4);
    ASSERT_NE(Hooks.Added, nullptr);
    EXPECT_EQ(Hooks.Added->FullURL(), "http://h/docs/inside.pdf");
    EXPECT_EQ(Hooks.Added->TagName, "");
}
