// A run of the fixture site with the style-sheet plugin: what only the
// style sheets name (an @import, background images, a font) is fetched, and
// the stored sheets point at the local copies; a mirror keeps them as served.
#include "tests/e2e/support/FixtureSite.h"
#include "tests/e2e/support/SiteRun.h"
#include "tests/plugins/PluginTestSupport.h"

#include "platform/FileSystem.h"
#include "rules/PluginSystem.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace vorlin::test {
namespace {

class CssRunTest : public TFixtureSiteRun {
protected:
    void SetUp() override {
        TFixtureSiteRun::SetUp();
        if (IsSkipped()) return;
        ForceDirectories(FHome.Path() + "Plugins");
        ASSERT_TRUE(CopyFile(VORLIN_CSS_PLUGIN, FHome.Path() + "Plugins/css.so", false));
        FPlugins.Load();
        FPlugins.Initialize();
        ASSERT_EQ(FPlugins.ParserPlugins().size(), 1u);
        // No settings stored for the project: the plugin is on, as for a new one.
        FPlugins.HandOverSettings(run.Dir() + "/projects/project.prj.plugins");
        run.Plugins = &FPlugins;
    }
    void TearDown() override {
        FPlugins.ClearSettings();
        TFixtureSiteRun::TearDown();
    }

    // url(...) references of a style sheet, unquoted.
    static std::vector<std::string> Urls(const std::string& css) {
        std::vector<std::string> urls;
        for (size_t p = 0; (p = css.find("url(", p)) != std::string::npos;) {
            p += 4;
            size_t end = css.find(')', p);
            std::string u = css.substr(p, end - p);
            if (!u.empty() && (u.front() == '"' || u.front() == '\'')) u = u.substr(1, u.size() - 2);
            urls.push_back(u);
        }
        return urls;
    }

    TTempDir FHome;
    TPluginSystem FPlugins{FHome.Path(), [](const std::string& m) { ADD_FAILURE() << m; }};
};

const char* const kSheetFiles[] = {"css/site.css", "css/print.css", "img/css-bg.gif", "img/print.gif",
                                   "fonts/fixture.woff"};

TEST_F(CssRunTest, SheetReferencesAreStoredAndPointAtTheLocalCopies) {
    ASSERT_TRUE(run.RunToEnd(60000));
    auto stored = StoredFiles();
    for (const char* file : kSheetFiles) EXPECT_TRUE(stored.count(file)) << file;
    for (const char* file : {"img/css-bg.gif", "img/print.gif", "fonts/fixture.woff"})
        EXPECT_EQ(Stored(file), Served(file)) << file;
    namespace fs = std::filesystem;
    for (const char* sheet : {"css/site.css", "css/print.css"}) {
        std::vector<std::string> urls = Urls(Stored(sheet));
        EXPECT_FALSE(urls.empty()) << sheet;
        for (const std::string& url : urls) {
            EXPECT_EQ(url.find(':'), std::string::npos) << sheet << ": " << url;
            EXPECT_NE(url.front(), '/') << sheet << ": " << url;
            std::error_code ec;
            EXPECT_TRUE(fs::is_regular_file(fs::path(HostDir() + sheet).parent_path() / url, ec))
                << sheet << ": " << url;
        }
    }
    // The @import became a local reference too.
    EXPECT_NE(Stored("css/site.css").find("print.css"), std::string::npos);
    EXPECT_EQ(Stored("css/site.css").find(Server->BaseURL()), std::string::npos);
}

TEST_F(CssRunTest, MirroredSheetsAreTheServedOnes) {
    run.Project.ProjectMode = pmMirror;
    ASSERT_TRUE(run.RunToEnd(60000));
    for (const char* file : kSheetFiles) EXPECT_EQ(Stored(file), Served(file)) << file;
}

TEST_F(CssRunTest, SheetReferencesThatClimbStayInsideTheCopy) {
    namespace fs = std::filesystem;
    fs::create_directories(SiteRoot + "/styled");
    std::ofstream(SiteRoot + "/styled/page.html") << "<html><head><link rel=\"stylesheet\" href=\"s.css\"></head></html>\n";
    std::ofstream(SiteRoot + "/styled/s.css")
        << "a { background: url(\"..%2f..%2f..%2f..%2fvorlin-escape-a.gif\"); }\n"
           "b { background: url(%2e%2e/%2e%2e/%2e%2e/vorlin-escape-b.gif); }\n";
    // Every name reaches the server and gets an answer to store.
    run.Project.URL = URL("styled/page.html");
    run.Project.ScopeMode = smStayOnServer;
    ASSERT_TRUE(run.RunToEnd(60000));

    const std::string sheet = HostDir() + "styled/s.css";
    const std::string copy = fs::path(run.TargetDir()).lexically_normal().string();
    std::vector<std::string> urls = Urls(ReadWholeFile(sheet));
    ASSERT_EQ(urls.size(), 2u) << ReadWholeFile(sheet);
    for (const std::string& url : urls) {
        std::string decoded;
        for (size_t i = 0; i < url.size(); ++i) {
            if (url[i] == '%' && i + 2 < url.size()) {
                decoded += static_cast<char>(std::stoi(url.substr(i + 1, 2), nullptr, 16));
                i += 2;
            } else {
                decoded += url[i];
            }
        }
        fs::path leads = (fs::path(sheet).parent_path() / decoded).lexically_normal();
        EXPECT_EQ(leads.string().rfind(copy, 0), 0u) << url;
    }
    for (const std::string& file : FilesBelow(fs::path(run.Dir()).string()))
        if (file.find("vorlin-escape") != std::string::npos) {
            EXPECT_EQ(file.rfind("site/" + run.HostDir(), 0), 0u) << file;
        }
}

} // namespace
} // namespace vorlin::test
