// The shipped style-sheet plugin, driven the way the download run and the
// HTML parser drive it: the run's claim after the header, the parser's
// ParseWithPlugin for a finished sheet and its text and tag hooks for pages.
#include "links/HTMLParser.h"
#include "links/UrlHelpers.h"
#include "project/DownloadLink.h"
#include "project/DownloadLinks.h"
#include "project/DownloadProject.h"
#include "project/LocalPath.h"
#include "rules/PluginOptionsPage.h"
#include "rules/PluginSystem.h"
#include "tests/plugins/PluginTestSupport.h"

#include "platform/FileSystem.h"
#include "platform/Stream.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace vorlin;
using namespace vorlin::test;
using namespace vorlin_sdk;

namespace {

class CssPluginTest : public ::testing::Test {
protected:
    void SetUp() override {
        ForceDirectories(FHome.Path() + "Plugins");
        ASSERT_TRUE(CopyFile(VORLIN_CSS_PLUGIN, FHome.Path() + "Plugins/css.so", false));
#ifdef VORLIN_CSS_SETTINGS_MODULE
        // Shipped beside the plugin; no plugin itself.
        ASSERT_TRUE(CopyFile(VORLIN_CSS_SETTINGS_MODULE, FHome.Path() + "Plugins/css-settings.so.1", false));
#endif
        FSystem.Load();
        FSystem.Initialize();
        ASSERT_EQ(FSystem.ParserPlugins().size(), 1u);
        ASSERT_EQ(FSystem.HTMLParserPlugins().size(), 1u);
        FSystem.HandOverSettings(FHome.Path() + "p.prj.plugins");  // none stored: the defaults
        FProject.TargetDir = FHome.Path() + "site/";
        FProject.StartServer = "http://h/";
        FSheet = AddStoredLink("css/site.css");
        FSheet->MimeType = "text/css";
    }

    TDownloadLink* AddStoredLink(const std::string& path) {
        auto* link = new TDownloadLink(&FProject);
        link->SetServer("http://h/");
        link->Path = path;
        link->LinkType = ltPage;
        bool invalid = false;
        link->LocalFileName = URLToLocalName(path, ",", true, invalid);
        FProject.Links->Add(link);
        return link;
    }

    // A downloaded style sheet: claimed after its header, handed to the
    // plugin when done; answers the stored file.
    std::string Parse(const std::string& css) {
        IParserPluginInterface* plugin = FSystem.ClaimingParser(FProject, *FSheet);
        EXPECT_NE(plugin, nullptr);
        if (!plugin) return std::string();
        ForceDirectories(ExtractFilePath(LinkFilePath(FProject, *FSheet)));  // as the run does
        TMemoryStream body;
        body.WriteBuffer(css.data(), static_cast<int64_t>(css.size()));
        FParser.ParseWithPlugin(plugin, *FSheet, body);
        return ReadFile(LinkFilePath(FProject, *FSheet));
    }

    TDownloadLink* Find(const std::string& url) const {
        TDownloadLink* link = nullptr;
        FProject.Links->AlreadyFound(url, link);
        return link;
    }
    std::vector<std::string> References(const TDownloadLink& page) const {
        std::vector<std::string> urls;
        for (auto* l : page.References) urls.push_back(l->FullURL());
        return urls;
    }

    TTempDir FHome;
    TPluginSystem FSystem{FHome.Path(), [](const std::string& m) { ADD_FAILURE() << m; }};
    TDownloadProject FProject;
    THTMLParser FParser{FProject, FSystem.ParserHooks()};
    TDownloadLink* FSheet = nullptr;
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
    EXPECT_NE(FSystem.ClaimingParser(FProject, *FSheet), nullptr);
    FSheet->MimeType = " Text/CSS ";
    EXPECT_NE(FSystem.ClaimingParser(FProject, *FSheet), nullptr);
    FSheet->MimeType = "text/html";
    EXPECT_EQ(FSystem.ClaimingParser(FProject, *FSheet), nullptr);
}

TEST_F(CssPluginTest, RegistersEveryReferenceAndWritesTheSheetPointingAtLocalCopies) {
    std::string stored = Parse(cSheet);
    EXPECT_EQ(References(*FSheet), (std::vector<std::string>{"http://h/css/print.css", "http://h/shared/base.css",
                                                             "http://h/css/img/bg.gif", "http://cdn/i/dot.png",
                                                             "http://h/fonts/f.woff2"}));
    EXPECT_EQ(Find("http://h/css/img/bg.gif")->LinkType, ltBackground);  // obeys "load backgrounds"
    EXPECT_EQ(Find("http://h/fonts/f.woff2")->LinkType, ltSource);
    EXPECT_EQ(Find("http://h/css/print.css")->LinkType, ltSource);
    EXPECT_EQ(stored,
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
    EXPECT_EQ(Parse(sheet), sheet);
    EXPECT_EQ(References(*FSheet), std::vector<std::string>{"http://h/x%20y.png"});
}

TEST_F(CssPluginTest, LocalNamesThatNeedEscapingAreEscaped) {
    EXPECT_EQ(Parse("a { background: url(a%20b%281%29.png) }"), "a { background: url(a%20b%281%29.png) }");
    EXPECT_EQ(Find("http://h/css/a%20b%281%29.png")->LocalFileName, "css\\a b(1).png");
    EXPECT_EQ(Parse("a { background: url(http://h/top.png?v=2) }"), "a { background: url(../top.png,v=2) }");
}

TEST_F(CssPluginTest, AStyleSheetThatCannotBeStoredIsAnErrorAtTheCallSite) {
    FSheet->LocalFileName = "dir";
    ForceDirectories(LinkFilePath(FProject, *FSheet));  // a directory stands where the file goes
    IParserPluginInterface* plugin = FSystem.ClaimingParser(FProject, *FSheet);
    TMemoryStream body;
    body.WriteBuffer("a{}", 3);
    EXPECT_THROW(FParser.ParseWithPlugin(plugin, *FSheet, body), EPluginError);
    EXPECT_EQ(ListDirectory(FProject.TargetDir + "h/").size(), 1u);  // no temporary file left
}

// The sheet is never written out of the target directory, whatever
// symbolic links the tree holds (one copied in from elsewhere may).
TEST_F(CssPluginTest, TheSheetIsNeverWrittenThroughASymbolicLinkOutOfTheTarget) {
    TTempDir outside;
    const std::string sheetPath = LinkFilePath(FProject, *FSheet);
    std::string sheetDir = ExtractFilePath(sheetPath);
    sheetDir.pop_back();
    ForceDirectories(ExtractFilePath(sheetDir));
    // A directory on the way that leads out.
    std::filesystem::create_directory_symlink(outside.Path(), sheetDir);
    IParserPluginInterface* plugin = FSystem.ClaimingParser(FProject, *FSheet);
    TMemoryStream body;
    body.WriteBuffer("a{}", 3);
    EXPECT_THROW(FParser.ParseWithPlugin(plugin, *FSheet, body), EPluginError);
    EXPECT_TRUE(ListDirectory(outside.Path()).empty());

    // A link at the temporary copy's name is replaced, not written through.
    std::filesystem::remove(sheetDir);
    ForceDirectories(sheetDir);
    const std::string victim = outside.Path() + "victim";
    WriteFile(victim, "keep");
    std::filesystem::create_symlink(victim, sheetPath + ".css-tmp");
    EXPECT_EQ(Parse("a{}"), "a{}");
    EXPECT_EQ(ReadFile(victim), "keep");
    EXPECT_EQ(ListDirectory(sheetDir + "/").size(), 1u);
}

TEST_F(CssPluginTest, StyleBodiesAndAttributesOfPagesAreRegistered) {
    TDownloadLink* page = AddStoredLink("dir/index.html");
    TDownloadLink* other = AddStoredLink("other.html");
    THTMLParser otherParser(FProject, FSystem.ParserHooks());
    TMemoryStream pageBody, otherBody;
    FParser.BeginDocument(*page, pageBody);
    otherParser.BeginDocument(*other, otherBody);
    // Two pages parsed block by block, in turns, as two connections deliver them.
    auto feed = [](THTMLParser& parser, TMemoryStream& body, const std::string& block) {
        body.WriteBuffer(block.data(), static_cast<int64_t>(block.size()));
        parser.ParseAvailable();
    };
    feed(FParser, pageBody, "<html><p>url(no1.png)</p><style type=\"text/css\">");
    feed(otherParser, otherBody, "<p>p { background: url(no2.png) }</p>");
    feed(FParser, pageBody, "body { background: url(bg.png) }<!-- @import 'in-comment.css'; --></style>");
    feed(FParser, pageBody, "<p>after url(no3.png)</p>");
    feed(otherParser, otherBody, "<div class=x style=\"background-image:url('top.png')\">");
    FParser.EndDocument();
    otherParser.EndDocument();

    EXPECT_EQ(References(*page), (std::vector<std::string>{"http://h/dir/bg.png", "http://h/dir/in-comment.css"}));
    EXPECT_EQ(References(*other), std::vector<std::string>{"http://h/top.png"});
    EXPECT_EQ(Find("http://h/top.png")->LinkType, ltBackground);
    // The pages themselves are stored as the parser writes them.
    EXPECT_EQ(ReadFile(LinkFilePath(FProject, *other)),
              "<p>p { background: url(no2.png) }</p><div class=x style=\"background-image:url('top.png')\">");
}

// The hooks decide most tags on the raw tag text; letter case and comments
// outside STYLE must come out as the attribute reader sees them.
TEST_F(CssPluginTest, StyleAttributesInAnyCaseCountAndCommentsOutsideStyleDoNot) {
    TDownloadLink* page = AddStoredLink("caps.html");
    TMemoryStream body;
    FParser.BeginDocument(*page, body);
    const std::string html =
        "<HTML><!-- url(no1.png) --><SPAN STYLE=\"background:url(a.png)\">x</SPAN>"
        "<p Style='list-style:url(b.png)'><p data-style=\"url(no2.png)\"><p title=\"style url(no3.png)\">"
        "<STYLE></STYLE><!-- url(no4.png) --></HTML>";
    body.WriteBuffer(html.data(), static_cast<int64_t>(html.size()));
    FParser.ParseAvailable();
    FParser.EndDocument();
    EXPECT_EQ(References(*page), (std::vector<std::string>{"http://h/a.png", "http://h/b.png"}));
}

TEST_F(CssPluginTest, EnabledForNewProjectsAndSwitchedOffLikeAnyPlugin) {
    std::string archive = FHome.Path() + "p.prj.plugins";
    EXPECT_EQ(PluginPageShown(FSystem, archive), std::vector<bool>{true});
    EXPECT_FALSE(CanConfigurePlugin(*FSystem.Plugins()[0]));
    EXPECT_FALSE(CanShowPluginData(*FSystem.Plugins()[0]));
    PluginPageClosed(FSystem, archive, {false});
    EXPECT_EQ(PluginPageShown(FSystem, archive), std::vector<bool>{false});
    FSystem.HandOverSettings(archive);
    EXPECT_EQ(FSystem.ClaimingParser(FProject, *FSheet), nullptr);  // disabled: claims nothing
}

// The command line and servers run the plugin without Qt: its dialog module
// lies beside it but must stay unopened, and Configure fails cleanly.
TEST_F(CssPluginTest, WithoutQtTheSettingsDialogIsNeitherLoadedNorOffered) {
    ASSERT_EQ(FSystem.Count(), 1);
    const std::string archive = FHome.Path() + "p.prj.plugins";
    PluginPageClosed(FSystem, archive, {true});
    const std::string stored = ReadFile(archive);
    EXPECT_FALSE(CanConfigurePlugin(*FSystem.Plugins()[0]));
    EXPECT_THROW(ConfigurePlugin(*FSystem.Plugins()[0], archive, nullptr), EPluginError);
    EXPECT_EQ(ReadFile(archive), stored);
    const std::string maps = ReadFile("/proc/self/maps");
    EXPECT_NE(maps.find(FHome.Path() + "Plugins/css.so"), std::string::npos);
    EXPECT_EQ(maps.find("libQt6"), std::string::npos);
    EXPECT_EQ(maps.find("css-settings"), std::string::npos);
}

} // namespace
