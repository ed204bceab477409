// The shipped style-sheet plugin, driven through its interfaces the way the
// download run and the HTML parser drive it: this test plays the program's
// part of registering links (a small stand-in for the parser's AddLink).
#include "project/DownloadLink.h"
#include "project/DownloadProject.h"
#include "rules/ComStream.h"
#include "rules/DownloadLinkAdapter.h"
#include "rules/DownloadProjectAdapter.h"
#include "rules/PluginOptionsPage.h"
#include "rules/PluginStrings.h"
#include "rules/PluginSystem.h"
#include "tests/plugins/PluginTestSupport.h"

#include "platform/FileSystem.h"

#include <gtest/gtest.h>

using namespace vorlin;
using namespace vorlin::test;
using namespace vorlin_sdk;

namespace {

// Registers what the plugin reports as links of the page: resolves the
// reference against the page, derives the local name as the program does
// for plain paths, and hands back the link's plugin-facing object.
struct TLinkRegistry {
    TDownloadProject& Project;
    TDownloadLink* Page;  // the page being parsed
    std::vector<std::unique_ptr<TDownloadLink>> Links;
    std::vector<std::pair<std::string, int>> Added;  // resolved URL and link type
    bool Refuse = false;

    std::string Resolve(const std::string& ref) const {
        if (ref.rfind("http://", 0) == 0) return ref;
        std::string root = Page->Server;
        if (ref[0] == '/') return root + ref.substr(1);
        std::string path = Page->Path.substr(0, Page->Path.rfind('/') + 1) + ref;
        std::vector<std::string> parts;
        size_t start = 0;
        for (size_t i = 0; i <= path.size(); ++i)
            if (i == path.size() || path[i] == '/') {
                std::string part = path.substr(start, i - start);
                if (part == "..") {
                    if (!parts.empty()) parts.pop_back();
                } else {
                    parts.push_back(part);
                }
                start = i + 1;
            }
        std::string joined;
        for (size_t i = 0; i < parts.size(); ++i) joined += (i ? "/" : "") + parts[i];
        return root + joined;
    }

    static HRESULT AddLink(void* context, const OLECHAR* url, int32_t type, IDownLoadLink** link) {
        auto* self = static_cast<TLinkRegistry*>(context);
        if (link) *link = nullptr;
        if (self->Refuse) return E_FAIL;
        std::string ref = WideToUtf8(url);
        std::string full = self->Resolve(ref.substr(0, ref.find('#')));
        self->Added.emplace_back(full, type);
        for (auto& known : self->Links)
            if (known->FullURL() == full) {
                if (link) *link = CreateDownloadLinkAdapter(*known);
                return S_OK;
            }
        auto l = std::make_unique<TDownloadLink>(&self->Project);
        size_t rootEnd = full.find('/', 7) + 1;
        l->SetServer(full.substr(0, rootEnd));
        l->Path = full.substr(rootEnd);
        l->LocalFileName = SlashToBackslash(l->Path);
        l->Kind = ref.rfind("http://", 0) == 0 ? lkHttp : lkRelative;
        l->LinkType = static_cast<TLinkType>(type);
        if (link) *link = CreateDownloadLinkAdapter(*l);
        self->Links.push_back(std::move(l));
        return S_OK;
    }

    static std::string SlashToBackslash(std::string s) {
        for (char& c : s)
            if (c == '/') c = '\\';
        return s;
    }
};

class CssPluginTest : public ::testing::Test {
protected:
    void SetUp() override {
        ForceDirectories(FHome.Path() + "Plugins");
        ASSERT_TRUE(CopyFile(VORLIN_CSS_PLUGIN, FHome.Path() + "Plugins/css.so", false));
        FSystem.Load();
        FSystem.Initialize();
        ASSERT_EQ(FSystem.ParserPlugins().size(), 1u);
        ASSERT_EQ(FSystem.HTMLParserPlugins().size(), 1u);
        FSystem.HandOverSettings(FHome.Path() + "p.prj.plugins");  // none stored: the defaults
        FPage.SetServer("http://h/");
        FPage.Path = "css/site.css";
        FPage.LocalFileName = "css\\site.css";
        FPage.MimeType = "text/css";
        FFile = FHome.Path() + "site/h/css/site.css";
        ForceDirectories(ExtractFilePath(FFile));
    }

    // Hands a downloaded style sheet to the plugin as the run does.
    void Parse(const std::string& css) {
        IParserPluginInterface* parser = FSystem.ClaimingParser(FProject, FPage);
        ASSERT_NE(parser, nullptr);
        TMemoryStream body;
        body.WriteBuffer(css.data(), static_cast<int64_t>(css.size()));
        TComRef<IDownLoadProject> project(CreateDownloadProjectAdapter(FProject));
        TComRef<IDownLoadLink> page(CreateDownloadLinkAdapter(FPage));
        TComRef<TComStream> stream(TComStream::Create(body));
        FRegistry.Page = &FPage;
        ASSERT_EQ(parser->SetAddLinkCallback(&TLinkRegistry::AddLink, &FRegistry), S_OK);
        FParseResult = parser->Parse(project.Get(), page.Get(), stream.Get(), FFile.c_str());
    }

    // Offers a tag or a text of an HTML page to the plugin's hooks.
    bool Tag(TDownloadLink& page, const std::string& name, const std::string& text) {
        auto& html = FSystem.HTMLParserPlugins()[0].Interface;
        TComRef<IDownLoadProject> project(CreateDownloadProjectAdapter(FProject));
        TComRef<IDownLoadLink> pageObject(CreateDownloadLinkAdapter(page));
        TBstr n(name), t(text);
        VBOOL handled = 1;
        FRegistry.Page = &page;
        html->SetAddLinkCallback(&TLinkRegistry::AddLink, &FRegistry);
        EXPECT_EQ(html->HandleTag(project.Get(), pageObject.Get(), n.Get(), t.Get(), &handled), S_OK);
        return handled != 0;
    }
    void Text(TDownloadLink& page, const std::string& text) {
        auto& html = FSystem.HTMLParserPlugins()[0].Interface;
        TComRef<IDownLoadProject> project(CreateDownloadProjectAdapter(FProject));
        TComRef<IDownLoadLink> pageObject(CreateDownloadLinkAdapter(page));
        TBstr t(text);
        FRegistry.Page = &page;
        html->SetAddLinkCallback(&TLinkRegistry::AddLink, &FRegistry);
        EXPECT_EQ(html->HandleText(project.Get(), pageObject.Get(), t.Get()), S_OK);
    }
    std::vector<std::string> AddedUrls() const {
        std::vector<std::string> urls;
        for (auto& a : FRegistry.Added) urls.push_back(a.first);
        return urls;
    }

    TTempDir FHome;
    TPluginSystem FSystem{FHome.Path(), [](const std::string& m) { ADD_FAILURE() << m; }};
    TDownloadProject FProject;
    TDownloadLink FPage{&FProject};
    TLinkRegistry FRegistry{FProject, &FPage, {}, {}, false};
    std::string FFile;
    HRESULT FParseResult = E_FAIL;
};

const char* const cSheet =
    "@import \"print.css\";\n"
    "@import url('../shared/base.css');\n"
    "body { background: url(img/bg.gif) }\n"
    "h1 { list-style: url(\"http://cdn/i/dot.png\") }\n"
    "@font-face { src: url(../fonts/f.woff2#x) format('woff2') }\n"
    "p { background-image: url(data:image/png;base64,AAAA) }\n"
    "/* url(commented.png) */ a { content: 'url(quoted.png)' }\n";

TEST_F(CssPluginTest, ClaimsStyleSheetsOnly) {
    EXPECT_NE(FSystem.ClaimingParser(FProject, FPage), nullptr);
    FPage.MimeType = " Text/CSS ";
    EXPECT_NE(FSystem.ClaimingParser(FProject, FPage), nullptr);
    FPage.MimeType = "text/html";
    EXPECT_EQ(FSystem.ClaimingParser(FProject, FPage), nullptr);
}

TEST_F(CssPluginTest, RegistersEveryReferenceAndWritesTheSheetPointingAtLocalCopies) {
    Parse(cSheet);
    ASSERT_EQ(FParseResult, S_OK);
    EXPECT_EQ(AddedUrls(), (std::vector<std::string>{"http://h/css/print.css", "http://h/shared/base.css",
                                                     "http://h/css/img/bg.gif", "http://cdn/i/dot.png",
                                                     "http://h/fonts/f.woff2"}));
    EXPECT_EQ(FRegistry.Added[2].second, LINKTYPE_BACKGROUND);  // obeys "load backgrounds"
    EXPECT_EQ(FRegistry.Added[3].second, LINKTYPE_SOURCE);
    EXPECT_EQ(ReadFile(FFile),
              "@import \"print.css\";\n"
              "@import url('../shared/base.css');\n"
              "body { background: url(img/bg.gif) }\n"
              "h1 { list-style: url(\"../../cdn/i/dot.png\") }\n"
              "@font-face { src: url(../fonts/f.woff2#x) format('woff2') }\n"
              "p { background-image: url(data:image/png;base64,AAAA) }\n"
              "/* url(commented.png) */ a { content: 'url(quoted.png)' }\n");
}

TEST_F(CssPluginTest, MirrorModeStoresTheSheetUnchanged) {
    FProject.ProjectMode = pmMirror;
    std::string sheet = "a { background: url(http://h/x%20y.png) }";
    Parse(sheet);
    ASSERT_EQ(FParseResult, S_OK);
    EXPECT_EQ(AddedUrls(), std::vector<std::string>{"http://h/x%20y.png"});
    EXPECT_EQ(ReadFile(FFile), sheet);
}

TEST_F(CssPluginTest, LocalNamesThatNeedEscapingAreEscaped) {
    Parse("a { background: url(http://h/css/a%20b.png) }");
    FRegistry.Links.back()->LocalFileName = "css\\a b.png";  // as the program decodes it
    Parse("a { background: url(http://h/css/a%20b.png) }");  // the known link is handed back
    EXPECT_EQ(ReadFile(FFile), "a { background: url(a%20b.png) }");
}

TEST_F(CssPluginTest, RefusedLinksAndBadInputDoNotBreakTheSheet) {
    FRegistry.Refuse = true;
    Parse("a { background: url(x.png) } b { c: url(");
    EXPECT_EQ(FParseResult, S_OK);
    EXPECT_EQ(ReadFile(FFile), "a { background: url(x.png) } b { c: url(");

    IParserPluginInterface* parser = FSystem.ClaimingParser(FProject, FPage);
    TComRef<IDownLoadProject> project(CreateDownloadProjectAdapter(FProject));
    TComRef<IDownLoadLink> page(CreateDownloadLinkAdapter(FPage));
    TMemoryStream body;
    TComRef<TComStream> stream(TComStream::Create(body));
    EXPECT_EQ(parser->Parse(project.Get(), page.Get(), stream.Get(), nullptr), E_INVALIDARG);
    std::string unwritable = FHome.Path() + "no/such/dir/x.css";
    EXPECT_LT(parser->Parse(project.Get(), page.Get(), stream.Get(), unwritable.c_str()), 0);
    EXPECT_TRUE(ListDirectory(ExtractFilePath(FFile)).size() <= 1);  // no temporary file left
}

TEST_F(CssPluginTest, StyleBodiesAndAttributesOfPagesAreRegistered) {
    TDownloadLink page(&FProject), other(&FProject);
    page.SetServer("http://h/");
    page.Path = "dir/index.html";
    other.SetServer("http://h/");
    other.Path = "other.html";

    Text(page, "before url(no1.png)");
    EXPECT_FALSE(Tag(page, "STYLE", "style type=\"text/css\""));
    Text(other, "p { background: url(no2.png) }");  // another page parsed meanwhile
    Text(page, "body { background: url(bg.png) }");
    EXPECT_FALSE(Tag(page, "!--", "!-- @import 'in-comment.css'; --"));
    EXPECT_FALSE(Tag(page, "STYLE", "/style"));
    Text(page, "after url(no3.png)");
    EXPECT_FALSE(Tag(other, "DIV", "div class=x style=\"background-image:url('../top.png')\""));
    EXPECT_EQ(AddedUrls(), (std::vector<std::string>{"http://h/dir/bg.png", "http://h/dir/in-comment.css",
                                                     "http://h/top.png"}));
    EXPECT_EQ(FRegistry.Added[0].second, LINKTYPE_BACKGROUND);
}

TEST_F(CssPluginTest, EnabledForNewProjectsAndSwitchedOffLikeAnyPlugin) {
    std::string archive = FHome.Path() + "p.prj.plugins";
    EXPECT_EQ(PluginPageShown(FSystem, archive), std::vector<bool>{true});
    EXPECT_FALSE(CanConfigurePlugin(*FSystem.Plugins()[0]));
    EXPECT_FALSE(CanShowPluginData(*FSystem.Plugins()[0]));
    PluginPageClosed(FSystem, archive, {false});
    EXPECT_EQ(PluginPageShown(FSystem, archive), std::vector<bool>{false});
    FSystem.HandOverSettings(archive);
    EXPECT_EQ(FSystem.ClaimingParser(FProject, FPage), nullptr);  // disabled: claims nothing
}

} // namespace
