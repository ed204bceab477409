// `vorlin plugins`, run as a program over a temporary program directory.
#include "platform/FileSystem.h"
#include "rules/PluginOptionsPage.h"
#include "rules/PluginSystem.h"
#include "tests/plugins/PluginTestSupport.h"

#include <gmock/gmock.h>
#include <sys/wait.h>

using namespace vorlin;
using namespace vorlin::test;
using ::testing::HasSubstr;

namespace {

class PluginsCommand : public ::testing::Test {
protected:
    void SetUp() override {
        ForceDirectories(FHome.Path() + "Plugins/extra");
        ASSERT_TRUE(CopyFile(VORLIN_CSS_PLUGIN, FHome.Path() + "Plugins/css.so", false));
#ifdef VORLIN_CSS_SETTINGS_MODULE
        ASSERT_TRUE(CopyFile(VORLIN_CSS_SETTINGS_MODULE, FHome.Path() + "Plugins/css-settings.so.1", false));
#endif
        InstallPlugin(FHome.Path(), "extra/kit.so");
        WriteFile(FProject, "");
    }

    // Runs the program with the arguments (single-quoted for the shell);
    // answers the exit status and fills FOut and FErr.
    int Run(const std::string& arguments, const std::string& environment = "") {
        std::string out = FHome.Path() + "out", err = FHome.Path() + "err";
        std::string command = environment + " '" + std::string(VORLIN_PROGRAM) + "' plugins " + arguments +
                              " >'" + out + "' 2>'" + err + "'";
        int raw = std::system(command.c_str());
        FOut = ReadFile(out);
        FErr = ReadFile(err);
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }
    std::string Home() const { return "--home '" + FHome.Path() + "'"; }
    // Whether each plugin is on for the project, as the options dialog shows it.
    std::map<std::string, bool> Shown() {
        TPluginSystem plugins(FHome.Path());
        plugins.Load();
        plugins.Initialize();
        std::vector<bool> checked = PluginPageShown(plugins, FProject + ".plugins");
        std::map<std::string, bool> byName;
        for (size_t i = 0; i < checked.size(); ++i) byName[plugins.PluginNames()[i]] = checked[i];
        return byName;
    }

    TTempDir FHome;
    std::string FProject = FHome.Path() + "Projects/site.prj";
    std::string FOut, FErr;
};

TEST_F(PluginsCommand, ListsThePluginsWithTheirCapabilities) {
    ASSERT_EQ(Run(Home()), 0) << FErr;
    EXPECT_THAT(FOut, HasSubstr("css\tparser,html-parser\t" + FHome.Path() + "Plugins/css.so\n"));
    EXPECT_THAT(FOut, HasSubstr("kit\tparser,filter,download,html-parser\t" + FHome.Path() + "Plugins/extra/kit.so\n"));
    // The program directory may also come from the environment.
    ASSERT_EQ(Run("", "HTTPVORLIN_HOME='" + FHome.Path() + "'"), 0);
    EXPECT_THAT(FOut, HasSubstr("css\t"));
}

// Scripts and servers run the command line without Qt: loading the css
// plugin (its dialog module lying beside it) must map none of it. The
// loader's own log lists every library the process opens.
TEST_F(PluginsCommand, LoadsTheCssPluginWithoutMappingQt) {
    ASSERT_EQ(Run(Home(), "LD_DEBUG=files"), 0) << FErr;
    EXPECT_THAT(FErr, HasSubstr(FHome.Path() + "Plugins/css.so"));
    EXPECT_THAT(FErr, ::testing::Not(HasSubstr("libQt6")));
    EXPECT_THAT(FErr, ::testing::Not(HasSubstr("css-settings")));
    EXPECT_THAT(FOut, ::testing::Not(HasSubstr("css-settings")));  // no plugin of its own
}

TEST_F(PluginsCommand, EnablesAndDisablesAPluginForAProject) {
    EXPECT_TRUE(Shown()["css"]);  // on for new projects
    ASSERT_EQ(Run("disable " + Home() + " '" + FProject + "' css"), 0) << FErr;
    EXPECT_EQ(FOut, "css disabled for " + FProject + "\n");
    auto shown = Shown();
    EXPECT_FALSE(shown["css"]);
    EXPECT_TRUE(shown["kit"]);  // the others keep their state
    ASSERT_EQ(Run("enable " + Home() + " '" + FProject + "' css"), 0);
    EXPECT_TRUE(Shown()["css"]);
}

TEST_F(PluginsCommand, RefusesWhatItCannotDo) {
    EXPECT_EQ(Run("enable " + Home() + " '" + FProject + "' nosuch"), 1);
    EXPECT_THAT(FErr, HasSubstr("nosuch"));
    EXPECT_EQ(Run("enable " + Home() + " '" + FHome.Path() + "absent.prj' css"), 1);
    EXPECT_FALSE(FileExists(FHome.Path() + "absent.prj.plugins"));
    EXPECT_EQ(Run("enable " + Home()), 2);
    EXPECT_EQ(Run("--home"), 2);
    // A home without a "Plugins" folder lists the program's own plugins.
    ASSERT_EQ(Run("--home '" + FHome.Path() + "none'"), 0);
    EXPECT_THAT(FOut, HasSubstr("css\t"));
    EXPECT_THAT(FOut, ::testing::Not(HasSubstr("kit\t")));
}

} // namespace
