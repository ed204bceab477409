#include "project/DownloadLink.h"
#include "project/DownloadProject.h"
#include "rules/DownloadLinkAdapter.h"
#include "rules/DownloadProjectAdapter.h"
#include "rules/PluginStrings.h"
#include "tests/plugins/PluginTestSupport.h"

#include <gmock/gmock.h>
#include <thread>

using namespace vorlin;
using namespace vorlin::test;
using namespace vorlin_sdk;
using ::testing::HasSubstr;

namespace {

class DownloadAdapters : public TPluginHostFixture {
protected:
    TComRef<IDownLoadProject> ProjectObject() { return TComRef<IDownLoadProject>(CreateDownloadProjectAdapter(FProject)); }
    TComRef<IDownLoadLink> LinkObject() { return TComRef<IDownLoadLink>(CreateDownloadLinkAdapter(FLink)); }

    TDownloadProject FProject;
    TDownloadLink FLink{&FProject};
};

TEST_F(DownloadAdapters, ByteTotalsAreLowWordsOutAndSignExtendedIn) {
    auto p = ProjectObject();
    ASSERT_EQ(p->SetProjectSize(-1), S_OK);
    EXPECT_EQ(FProject.ProjectSize, -1);
    int32_t v = 0;
    p->GetProjectSize(&v);
    EXPECT_EQ(v, -1);
    FProject.RunSize = 0x100000005LL;
    p->GetRunSize(&v);
    EXPECT_EQ(v, 5);
    p->SetRunSize(INT32_MIN);
    EXPECT_EQ(FProject.RunSize, static_cast<int64_t>(INT32_MIN));
}

TEST_F(DownloadAdapters, ProjectFieldsConvertAndChangeAtOnce) {
    auto p = ProjectObject();
    TBstr url("http://h/\xc3\xbc/");
    p->SetURL(url.Get());
    EXPECT_EQ(FProject.URL, "http://h/\xc3\xbc/");
    TBstr back;
    p->GetURL(back.Out());
    EXPECT_EQ(back.Utf8(), "http://h/\xc3\xbc/");
    p->SetDestination(nullptr);  // a null string is the empty string
    EXPECT_EQ(FProject.Destination, "");
    p->SetScopeMode(77);         // no range checks
    EXPECT_EQ(static_cast<int>(FProject.ScopeMode), 77);
    p->SetUseMaxProjSize(2);
    EXPECT_TRUE(FProject.UseMaxProjSize);
    p->SetLastDuration(0.25);
    EXPECT_EQ(FProject.LastDuration, 0.25);
    EXPECT_EQ(p->GetStartServer(nullptr), E_POINTER);

    // The last two slots answer directly.
    EXPECT_EQ(p->RewritesLinks(), 1);
    FProject.ProjectMode = pmMirror;
    FProject.InvalidCharMode = icReplace;
    FProject.MirroringChangeQ = "_";
    EXPECT_EQ(p->RewritesLinks(), 0);
    TBstr replacement;
    p->InvalidCharReplacement(replacement.Out());
    EXPECT_EQ(replacement.Utf8(), "_");
    p->InvalidCharReplacement(nullptr);
}

TEST_F(DownloadAdapters, LinkFieldsAndTheServerWithItsLocalDirectory) {
    auto l = LinkObject();
    TBstr server("http://other.example:8080/");
    ASSERT_EQ(l->SetServer(server.Get()), S_OK);
    TBstr dir;
    l->GetLocalDir(dir.Out());
    EXPECT_EQ(dir.Utf8(), "other.example+8080\\");  // a port of its own, a directory of its own
    EXPECT_EQ(FLink.Server(), "http://other.example:8080/");
    l->SetKind(lkMailto);
    l->SetState(lsFilteredOut);
    l->SetSlot(-1);
    l->SetLastModified(36526.5);
    EXPECT_EQ(FLink.Kind, lkMailto);
    EXPECT_EQ(FLink.State, lsFilteredOut);
    EXPECT_EQ(FLink.Slot, -1);
    EXPECT_EQ(FLink.LastModified, 36526.5);
    uint8_t type = 9;
    l->GetLinkType(&type);
    EXPECT_EQ(type, ltSource);
    // Lock and Unlock are the link's own lock: another thread waits for it.
    ASSERT_EQ(l->Lock(), S_OK);
    bool locked = true;
    std::thread other([&] {
        TLinkLock lock(FLink);
        EXPECT_FALSE(locked);
    });
    locked = false;
    l->Unlock();
    other.join();
}

TEST_F(DownloadAdapters, InterfacesAndReferencesFollowTheComRules) {
    IDownLoadLink* l = CreateDownloadLinkAdapter(FLink);
    void* other = nullptr;
    EXPECT_EQ(l->QueryInterface(IID_IDownLoadProject, &other), E_NOINTERFACE);
    EXPECT_EQ(other, nullptr);
    ASSERT_EQ(l->QueryInterface(IID_IDownLoadLink, &other), S_OK);
    EXPECT_EQ(other, l);
    EXPECT_EQ(l->Release(), 1u);
    EXPECT_EQ(l->Release(), 0u);  // freed; the link itself stays
    EXPECT_EQ(FLink.Project, &FProject);
}

TEST_F(DownloadAdapters, ForcedReadsThePluginsVoteWhileWritingTheStoredFlagOnly) {
    Install("forcing", "caps=2\nforce=1");
    Start();
    FProject.Plugins = &FSystem.Votes();
    auto l = LinkObject();
    VBOOL forced = 0;
    l->GetForced(&forced);
    EXPECT_EQ(forced, 1);  // slot 5: the plugin forces it
    l->SetForced(0);       // slot 6: the stored flag
    EXPECT_FALSE(FLink.Forced);
    l->GetForced(&forced);
    EXPECT_EQ(forced, 1);

    // Outside the scope unless a plugin denies it.
    FProject.ScopeMode = smStayOnServer;
    FProject.StartServer = "http://h/";
    FLink.SetServer("http://elsewhere/");
    VBOOL outside = 0;
    l->GetOutside(&outside);
    EXPECT_EQ(outside, 1);
    Kit("forcing").Configure("name=forcing\ncaps=2\noutside=0");
    l->GetOutside(&outside);
    EXPECT_EQ(outside, 0);
}

TEST_F(DownloadAdapters, APluginSeesTheValuesThroughEverySlot) {
    Install("probe", "caps=4\nprobe=1\ntake=1\nsetonstart=1");
    Start();
    FSystem.HandOverSettings(FHome.Path() + "p.prj.plugins");
    FProject.StartServer = "http://h/";
    FProject.URL = "http://h/start.html";
    FProject.ProjectSize = 0x1234;
    FProject.PeekCPS = 99;
    FProject.MaxLevelCount = 4;
    FProject.ProjectMode = pmHalfAutomatic;
    FLink.SetServer("ftp://files.example/");
    FLink.Kind = lkFtp;
    FLink.Path = "pub/x.zip";
    FLink.Level = 3;
    FLink.MimeType = "application/zip";

    FSystem.StartDownload(FProject, FHome.Path() + "p.dat.plugins");
    EXPECT_TRUE(FSystem.Votes().TakeLink(FProject, FLink));
    std::string log = LogOf("probe");
    EXPECT_THAT(log, HasSubstr("StartServer=http://h/ StartURL= TargetDir= URL=http://h/start.html "
                               "ProjectSize=4660 RunSize=0 AverageCPS=0 PeekCPS=99 ProjectMode=3 ScopeMode=0 "
                               "MaxLevelCount=4 FollowExternalImages=0 RewritesLinks=1"));
    EXPECT_THAT(log, HasSubstr("link Kind=1 State=0 LinkType=0 Slot=0 Size=0 Level=3 ExternalLevel=0 "
                               "Server=ftp://files.example/ Path=pub/x.zip LocalDir=files.example\\ "
                               "LocalFileName= MimeType=application/zip TagName="));
    // What the plugin wrote took effect at once.
    EXPECT_EQ(FProject.ProjectSize, -1);
    EXPECT_EQ(FProject.URL, "http://plugin.example/");
}

} // namespace
