// The calls into the plugins around one download: data loaded at the start,
// saved at the end, and the parser-plugin claim after a header.
#include "platform/FileSystem.h"
#include "project/DownloadLink.h"
#include "project/DownloadProject.h"
#include "rules/PakArchive.h"
#include "rules/PluginSystem.h"
#include "tests/plugins/PluginTestSupport.h"

#include <gmock/gmock.h>

using namespace vorlin;
using namespace vorlin::test;
using ::testing::HasSubstr;
using ::testing::Not;

namespace {

std::string Entry(const std::string& file, const std::string& name) {
    TPakArchive archive(file);
    int i = archive.Find(name);
    if (i < 0) return "<none>";
    TMemoryStream m;
    archive.Read(i, m);
    return m.ToString();
}

class PluginDownloadTest : public TPluginHostFixture {
protected:
    void StartWith(const std::string& loaderConfig) {
        Install("loader", "caps=4\n" + loaderConfig);
        Install("off", "caps=4\nactive=0");
        Install("filter", "caps=2");
        Start();
        FSystem.HandOverSettings(FHome.Path() + "p.prj.plugins");
    }

    TDownloadProject FProject;
    std::string FData = FHome.Path() + "Projects/p.dat.plugins";
};

TEST_F(PluginDownloadTest, DataGoesToEnabledDownloadPluginsAroundARun) {
    StartWith("");
    FSystem.StartDownload(FProject, FData);  // first run: no data yet
    EXPECT_THAT(LogOf("loader"), HasSubstr("DownloadStarted"));
    EXPECT_THAT(LogOf("loader"), Not(HasSubstr("LoadData")));
    EXPECT_FALSE(FileExists(FData));

    FSystem.FinishDownload(FProject, FData);
    EXPECT_THAT(LogOf("loader"), HasSubstr("SaveData\nloader: GetName\nloader: GetSettings\nloader: GetActive\n"
                                           "loader: DownloadFinished"));
    EXPECT_EQ(Entry(FData, "loader"), "data 1");
    EXPECT_EQ(Entry(FData, "off"), "<none>");
    EXPECT_EQ(LogOf("off").find("DownloadStarted"), std::string::npos);
    EXPECT_EQ(LogOf("off").find("SaveData"), std::string::npos);

    Kit("loader").ClearLog();
    FSystem.StartDownload(FProject, FData);
    EXPECT_THAT(LogOf("loader"), HasSubstr("LoadData \"data 1\""));
    EXPECT_LT(LogOf("loader").find("DownloadStarted"), LogOf("loader").find("LoadData"));
    FSystem.FinishDownload(FProject, FData);
    EXPECT_EQ(Entry(FData, "loader"), "data 2");  // replaced, and compacted away
    EXPECT_EQ(FileSizeOf(FData), 86 + 6 + 266);
}

TEST_F(PluginDownloadTest, AFailingPluginStopsTheStepAndKeepsWhatWasSaved) {
    StartWith("");
    FSystem.FinishDownload(FProject, FData);
    Kit("loader").Configure("name=loader\ncaps=4\nfail=SaveData");
    EXPECT_THROW(FSystem.FinishDownload(FProject, FData), EPluginError);
    EXPECT_EQ(Entry(FData, "loader"), "data 1");
    Kit("loader").Configure("name=loader\ncaps=4\nfail=LoadData");
    EXPECT_THROW(FSystem.StartDownload(FProject, FData), EPluginError);
}

TEST_F(PluginDownloadTest, WithoutDownloadPluginsNoDataFileIsMade) {
    Install("filter", "caps=2");
    Start();
    FSystem.HandOverSettings(FHome.Path() + "p.prj.plugins");
    FSystem.StartDownload(FProject, FData);
    FSystem.FinishDownload(FProject, FData);
    EXPECT_FALSE(FileExists(FData));
}

TEST_F(PluginDownloadTest, TheFirstEnabledParserThatClaimsGetsTheDocument) {
    Install("p1", "caps=1\ncanparse=1\nactive=0");
    Install("p2", "caps=1\ncanparse=0");
    Install("p3", "caps=1\ncanparse=1");
    Start();
    FSystem.HandOverSettings(FHome.Path() + "p.prj.plugins");
    TDownloadLink link(&FProject);
    vorlin_sdk::IParserPluginInterface* claimed = FSystem.ClaimingParser(FProject, link);
    ASSERT_NE(claimed, nullptr);
    std::string owner;
    for (auto& p : FSystem.ParserPlugins())
        if (p.Interface == claimed) owner = p.Owner->Name;
    EXPECT_EQ(owner, "p3");
    EXPECT_EQ(CallCount("p1", "CanParse"), 0);  // disabled
    Kit("p3").Configure("name=p3\ncaps=1\nfail=CanParse");
    EXPECT_THROW(FSystem.ClaimingParser(FProject, link), EPluginError);
}

} // namespace
