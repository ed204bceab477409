// The offline copy as a browser opens it from disk: every reference of every
// stored page and style sheet (href, src, srcset candidates, background,
// style attributes, STYLE bodies, url() and @import of style sheets) leads
// to a stored file, except those deliberately left at their addresses (files
// the run did not store). A table of the references real sites write, each
// with the served file its stored form must open; the style-sheet plugin is
// loaded, as for a new project.
#include "tests/e2e/support/SiteRun.h"
#include "tests/plugins/PluginTestSupport.h"

#include "platform/FileSystem.h"
#include "rules/PluginSystem.h"

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <regex>

namespace vorlin::test {
namespace {

namespace fs = std::filesystem;

// One reference of a page below "offline/".
struct TReference {
    const char* Fault;  // what a stored copy got wrong with it
    const char* Page;   // the served page holding it
    const char* Tag;    // the tag as the page writes it ("@" is the second server's port)
    // The served files its values must open, in the order of the values,
    // blank separated; "#x" after a file is the fragment the value keeps; a
    // leading "=" means the value is that file's absolute address instead.
    const char* Leads;
};

const TReference kReferences[] = {
    {"a directory link is stored as its index", "index.html", "<a href=\"docs/\">", "docs/index.html"},
    {"a directory link further down", "docs/index.html", "<a href=\"guide/\">", "docs/guide/index.html"},
    {"the trailing / was lost: a directory listing opened", "docs/guide/index.html", "<a href=\"../features/\">",
     "docs/features/index.html"},
    {"\".\" became %252E and a second copy named %2E", "docs/guide/index.html", "<a href=\".\">",
     "docs/guide/index.html"},
    {"\"./\" is the page's own directory", "docs/guide/index.html", "<a href=\"./\">", "docs/guide/index.html"},
    {"\"..\" climbs one directory", "docs/guide/index.html", "<a href=\"..\">", "docs/index.html"},
    {"a style sheet with a query lost its type and applied no rule", "index.html",
     "<link rel=\"stylesheet\" href=\"_static/pydoctheme.css?2022.1\">", "_static/pydoctheme.css"},
    {"the same sheet named by a page stored later", "docs/index.html",
     "<link rel=\"stylesheet\" href=\"../_static/pydoctheme.css?2022.1\">", "_static/pydoctheme.css"},
    {"a script with a query", "index.html", "<script src=\"_static/doctools.js?v=3\"></script>", "_static/doctools.js"},
    {"an image with a query", "index.html", "<img src=\"img/logo.png?v=1\">", "img/logo.png"},
    {"&amp; was sent to the server as &amp%3B", "index.html", "<a href=\"search.html?q=a&amp;check_keywords=yes\">",
     "search.html"},
    {"a lower-case escape was escaped again", "index.html", "<a href=\"caf%c3%a9.html\">", "caf\xC3\xA9.html"},
    {"srcset candidates were neither fetched nor rewritten", "index.html",
     "<img src=\"img/logo.png?v=1\" srcset=\"img/small.png 1x, img/large.png 2x\">",
     "img/logo.png img/small.png img/large.png"},
    {"picture sources", "docs/index.html",
     "<picture><source media=\"(min-width: 800px)\" srcset=\"../img/wide.png 800w,../img/narrow.png 400w\">",
     "img/wide.png img/narrow.png"},
    {"each reference keeps its fragment", "index.html", "<a href=\"page.html#one\">", "page.html#one"},
    {"...even to a page linked before", "index.html", "<a href=\"page.html#two\">", "page.html#two"},
    {"a directory without its / is redirected to it", "index.html", "<a href=\"moved\">", "moved/index.html"},
    {"a file excluded by its extension pointed at nothing", "index.html", "<a href=\"downloads/archive.zip\">",
     "=downloads/archive.zip"},
    {"a file refused with 401 pointed at nothing", "index.html", "<a href=\"private/area.html\">",
     "=private/area.html"},
    {"a missing file pointed at nothing", "index.html", "<img src=\"gone.png\">", "=gone.png"},
    {"a file over the size limit pointed at nothing", "index.html", "<a href=\"files/big.bin\">", "=files/big.bin"},
    {"two servers of one host overwrote each other's files", "index.html",
     "<a href=\"http://127.0.0.1:@/offline/index.html\">", "!second"},
};

const char* const kSheet =
    "@import url(\"print.css?v=1\");\n"
    "body { background: url(../img/bg.png?v=2) repeat; }\n"
    ".logo { background-image: url('../img/logo.png?v=1'); }\n";

std::string Marker(const std::string& file) { return "marker:" + file; }

// Every reference of a stored page or style sheet (see the file comment).
std::vector<std::string> References(const std::string& text, bool sheet) {
    std::vector<std::string> found;
    auto add = [&](const std::regex& pattern, int group) {
        for (std::sregex_iterator it(text.begin(), text.end(), pattern), end; it != end; ++it)
            found.push_back((*it)[group].str());
    };
    static const std::regex kUrl(R"re(url\(\s*['"]?([^'")\s]*))re", std::regex::icase);
    static const std::regex kImport(R"re(@import\s+['"]([^'"]*))re", std::regex::icase);
    add(kUrl, 1);
    add(kImport, 1);
    if (sheet) return found;
    static const std::regex kAttribute(R"re(\s(href|src|background)\s*=\s*(["']?)([^"'\s>]*)\2)re", std::regex::icase);
    add(kAttribute, 3);
    static const std::regex kSrcset(R"re(\ssrcset\s*=\s*"([^"]*)")re", std::regex::icase);
    for (std::sregex_iterator it(text.begin(), text.end(), kSrcset), end; it != end; ++it) {
        std::istringstream candidates((*it)[1].str());
        for (std::string candidate; std::getline(candidates, candidate, ',');) {
            std::istringstream words(candidate);
            std::string url;
            if (words >> url) found.push_back(url);
        }
    }
    return found;
}

// The stored file a local reference opens from the file holding it, as a
// browser finds it: fragment and query cut, escapes decoded.
fs::path Opened(const std::string& holder, const std::string& reference) {
    std::string path = reference.substr(0, reference.find_first_of("#?"));
    return (fs::path(holder).parent_path() / PercentDecoded(path)).lexically_normal();
}

bool IsAbsolute(const std::string& reference) {
    return reference.find(':') != std::string::npos || reference.rfind("//", 0) == 0;
}

class OfflineCopyRunTest : public TFixtureSiteRun {
  protected:
    void SetUp() override {
        ExtraConfig = "    location /offline/private/ { auth_basic \"Area\"; auth_basic_user_file " +
                      std::string("@ROOT@/.htpasswd; }\n");
        TFixtureSiteRun::SetUp();
        if (IsSkipped()) return;
        FSecondRoot = run.Dir() + "/second";
        Put(FSecondRoot, "offline/index.html", "<html><title>" + Marker("second") + "</title></html>\n");
        FSecond = std::make_unique<TNginxServer>(FSecondRoot);
        WriteSite();
        run.Project.URL = URL("offline/index.html");
        run.Project.FollowExternalLinks = true;
        run.Project.UseMaxExternalLevelCount = true;
        run.Project.MaxExternalLevelCount = 1;
        run.Project.UseMaxFileSize = true;
        run.Project.MaxFileSize = 100;  // KB

        ForceDirectories(FHome.Path() + "Plugins");
        ASSERT_TRUE(CopyFile(VORLIN_CSS_PLUGIN, FHome.Path() + "Plugins/css.so", false));
        FPlugins.Load();
        FPlugins.Initialize();
        FPlugins.HandOverSettings(run.Dir() + "/projects/project.prj.plugins");
        run.Plugins = &FPlugins;
    }
    void TearDown() override {
        FPlugins.ClearSettings();
        if (FSecond) FSecond->Stop();
        TFixtureSiteRun::TearDown();
    }

    static void Put(const std::string& root, const std::string& file, const std::string& content) {
        fs::create_directories(fs::path(root + "/" + file).parent_path());
        std::ofstream(root + "/" + file, std::ios::binary) << content;
    }
    // The tag of a reference as served: an id after its name, the second
    // server's port in place of "@".
    std::string ServedTag(size_t index) const {
        std::string tag = kReferences[index].Tag;
        size_t port = tag.find('@');
        if (port != std::string::npos) tag.replace(port, 1, std::to_string(FSecond->Port()));
        // The last start tag holds the reference (in a PICTURE its SOURCE).
        size_t at = tag.rfind('<');
        while (at > 0 && tag[at + 1] == '/') at = tag.rfind('<', at - 1);
        size_t name = tag.find(' ', at);
        tag.insert(name, " id=\"r" + std::to_string(index) + "\"");
        return tag;
    }
    void WriteSite() {
        std::map<std::string, std::string> pages;
        for (size_t i = 0; i < std::size(kReferences); ++i) pages[kReferences[i].Page] += ServedTag(i) + "\n";
        for (const char* page : {"docs/features/index.html", "page.html", "search.html", "caf\xC3\xA9.html",
                                 "moved/index.html", "private/area.html"})
            pages[page];
        for (auto& [page, body] : pages)
            Put(SiteRoot, "offline/" + page, "<html><head><title>" + Marker(page) + "</title></head><body>\n" + body +
                                                 "<p id=\"one\">one</p><p id=\"two\">two</p></body></html>\n");
        Put(SiteRoot, "offline/_static/pydoctheme.css", std::string("/* ") + Marker("_static/pydoctheme.css") +
                                                             " */\n" + kSheet);
        Put(SiteRoot, "offline/_static/print.css", "/* " + Marker("_static/print.css") +
                                                       " */\nh1 { background: url(\"../img/print.png\"); }\n");
        Put(SiteRoot, "offline/_static/doctools.js", "// " + Marker("_static/doctools.js") + "\n");
        for (const char* image : {"img/logo.png", "img/small.png", "img/large.png", "img/wide.png", "img/narrow.png",
                                  "img/bg.png", "img/print.png"})
            Put(SiteRoot, std::string("offline/") + image, "\x89PNG " + Marker(image));
        Put(SiteRoot, "offline/downloads/archive.zip", "PK " + Marker("downloads/archive.zip"));
        Put(SiteRoot, "offline/files/big.bin", std::string(200 * 1024, 'b'));
        Put(SiteRoot, ".htpasswd", "someone:{PLAIN}secret\n");
    }

    // The values of the stored tag of reference index, in order.
    std::vector<std::string> StoredValues(size_t index) {
        const std::string page = Stored("offline/" + std::string(kReferences[index].Page));
        const std::string id = "id=\"r" + std::to_string(index) + "\"";
        size_t at = page.find(id);
        if (at == std::string::npos) return {};
        size_t start = page.rfind('<', at), end = page.find('>', at);
        return References(page.substr(start, end - start + 1), false);
    }

    std::string FSecondRoot;
    std::unique_ptr<TNginxServer> FSecond;
    TTempDir FHome;
    TPluginSystem FPlugins{FHome.Path(), [](const std::string& m) { ADD_FAILURE() << m; }};
};

TEST_F(OfflineCopyRunTest, EveryStoredReferenceOpensTheFileItNames) {
    ASSERT_TRUE(run.RunToEnd(60000));
    const std::string secondDir = run.TargetDir() + "127.0.0.1+" + std::to_string(FSecond->Port()) + "/";
    for (size_t i = 0; i < std::size(kReferences); ++i) {
        const TReference& r = kReferences[i];
        SCOPED_TRACE(std::string(r.Fault) + ": " + r.Tag);
        const std::string holder = HostDir() + "offline/" + r.Page;
        std::vector<std::string> values = StoredValues(i);
        std::istringstream leads(r.Leads);
        size_t n = 0;
        for (std::string lead; leads >> lead; ++n) {
            ASSERT_LT(n, values.size());
            const std::string& value = values[n];
            if (lead[0] == '=') {
                EXPECT_EQ(value, URL("offline/" + lead.substr(1)));
                continue;
            }
            const std::string fragment = lead.find('#') == std::string::npos ? "" : lead.substr(lead.find('#'));
            const std::string file = lead.substr(0, lead.find('#'));
            EXPECT_FALSE(IsAbsolute(value)) << value;
            const fs::path opened = Opened(holder, value);
            ASSERT_TRUE(fs::is_regular_file(opened)) << value;
            if (file == "!second") {
                EXPECT_EQ(opened.string().rfind(secondDir, 0), 0u) << opened;
                EXPECT_NE(ReadWholeFile(opened.string()).find(Marker("second")), std::string::npos);
                continue;
            }
            EXPECT_NE(ReadWholeFile(opened.string()).find(Marker(file)), std::string::npos) << opened;
            // The stored name says what the file is.
            EXPECT_EQ(opened.extension(), fs::path(file).extension()) << opened;
            if (!fragment.empty()) {
                EXPECT_EQ(value.substr(value.size() - fragment.size()), fragment);
            }
        }
        EXPECT_EQ(n, values.size());
    }
    // The first server's page is its own.
    EXPECT_NE(Stored("offline/index.html").find(Marker("index.html")), std::string::npos);
    EXPECT_NE(ReadWholeFile(secondDir + "offline/index.html").find(Marker("second")), std::string::npos);
    // The server was asked for what the page meant.
    EXPECT_EQ(Server->RequestCount("/offline/search.html?q=a&check_keywords=yes"), 1);
    EXPECT_EQ(Server->RequestCount("/offline/caf%C3%A9.html"), 1);
}

TEST_F(OfflineCopyRunTest, NoReferenceOfTheCopyLeadsNowhere) {
    ASSERT_TRUE(run.RunToEnd(60000));
    std::vector<std::string> misses, absolute;
    for (const std::string& file : FilesBelow(run.TargetDir())) {
        const bool sheet = fs::path(file).extension() == ".css";
        if (!sheet && fs::path(file).extension() != ".html") continue;
        const std::string holder = run.TargetDir() + file;
        for (const std::string& reference : References(ReadWholeFile(holder), sheet)) {
            if (reference.empty() || reference[0] == '#') continue;
            if (IsAbsolute(reference)) {
                absolute.push_back(reference);
            } else if (!fs::is_regular_file(Opened(holder, reference))) {
                misses.push_back(file + ": " + reference);
            }
        }
    }
    EXPECT_EQ(misses, std::vector<std::string>{});
    std::sort(absolute.begin(), absolute.end());
    EXPECT_EQ(absolute, (std::vector<std::string>{URL("offline/downloads/archive.zip"), URL("offline/files/big.bin"),
                                                   URL("offline/gone.png"), URL("offline/private/area.html")}));
    // The style sheets' references became local ones, with the stored names.
    const std::string sheet = Stored("offline/_static/pydoctheme.css,2022.1.css");
    EXPECT_NE(sheet.find("@import url(\"print.css,v=1.css\");"), std::string::npos) << sheet;
    EXPECT_NE(sheet.find("url(../img/bg.png,v=2.png)"), std::string::npos) << sheet;
    EXPECT_NE(sheet.find("url('../img/logo.png,v=1.png')"), std::string::npos) << sheet;
}

TEST_F(OfflineCopyRunTest, MirrorModeKeepsTheServersNames) {
    run.Project.ProjectMode = pmMirror;
    run.Project.InvalidCharMode = icComma;  // so that names with a query are fetched at all
    ASSERT_TRUE(run.RunToEnd(60000));
    const std::set<std::string> stored = StoredFiles();
    for (const char* name : {"offline/_static/pydoctheme.css,2022.1", "offline/_static/doctools.js,v=3",
                             "offline/img/logo.png,v=1", "offline/search.html,q=a&check_keywords=yes"})
        EXPECT_EQ(stored.count(name), 1u) << name;
    EXPECT_EQ(Stored("offline/index.html"), Served("offline/index.html"));
}

} // namespace
} // namespace vorlin::test
