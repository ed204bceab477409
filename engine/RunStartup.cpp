// The start of a run, step by step: the project is checked, the link data of
// earlier runs loaded (or the start link made after testing the start
// address), the passwords, clients, plugins and rules set up, and the
// scheduling set going.
#include "engine/DownloadRun.h"

#include "engine/CPSThread.h"
#include "engine/RateLimit.h"
#include "engine/RunTexts.h"
#include "engine/SecureLinkUpgrade.h"
#include "engine/StructureList.h"
#include "links/ServerRoots.h"
#include "links/UrlHelpers.h"
#include "platform/ConfinedFiles.h"
#include "platform/DebugLog.h"
#include "net/ConnectionPool.h"
#include "platform/FileSystem.h"
#include "platform/MessageQueue.h"
#include "platform/StringUtils.h"
#include "platform/Ticks.h"
#include "platform/Timer.h"
#include "project/DeleteDownloadedFiles.h"
#include "project/DownloadLinks.h"
#include "project/DownloadProject.h"
#include "project/LinkStateList.h"
#include "project/LocalPath.h"
#include "rules/HTTPVorlinRules.h"
#include "rules/PluginSystem.h"

#include <algorithm>
#include <limits>

namespace vorlin {

namespace {

// The longest local path the stored names are fitted to.
constexpr size_t kMaxLocalPath = 259;

// The position of the n-th "/" (0-based), or npos.
size_t NthSlash(const std::string& text, int n) {
    size_t at = std::string::npos;
    for (int i = 0; i < n; ++i) {
        at = text.find('/', at == std::string::npos ? 0 : at + 1);
        if (at == std::string::npos) break;
    }
    return at;
}

// http:// in front when it has no scheme (https:// stays), "/" after a bare host.
std::string NormalizedStartURL(const std::string& url) {
    std::string result = EncodeURL(url);
    if (HttpSchemeOf(result).empty()) result = "http://" + result;
    if (NthSlash(result, 3) == std::string::npos) result += '/';
    return result;
}

} // namespace

std::string TDownloadRun::PasswordFile() const {
    std::string dir = FSetup.ProgramDirectory.empty() ? ExecutableDirectory() : FSetup.ProgramDirectory;
    return IncludeTrailingSlash(dir) + "passwords.lst";
}

void TDownloadRun::SetLinkListHandler(bool install) {
    if (install)
        FProject.Links->OnChange = [this](TDownloadLink* link) {
            if (FSetup.Structure) FSetup.Structure->Append(link);
            FScheduler.LinkAdded(link);
        };
    else
        FProject.Links->OnChange = nullptr;
}

void TDownloadRun::SetStateListHandlers(bool install) {
    TLinkStateList::TOnChange handler;
    if (install && FSetup.Structure) handler = [this](TDownloadLink* link) { FSetup.Structure->Append(link); };
    FProject.Downloaded->OnChange = handler;
    FProject.FilteredOut->OnChange = handler;
}

void TDownloadRun::StartUp() {
    // 1-2: the run's own objects.
    SetState(TRunState::ssInitializing);
    FFormerVotes = FProject.Plugins;
    if (FSetup.Plugins) FProject.Plugins = &FSetup.Plugins->Votes();
    FProject.StructureShown = false;
    FProject.Downloaded->Clear();
    FProject.FilteredOut->Clear();
    SetLinkListHandler(true);
    FReport.Status(RunText(609));
    FRateMeter = std::make_unique<TCPSThread>(true, CurrentThreadId(), FSetup.MainWindow, FSetup.RateMeterPeriodMs);
    FQuestions.Start();
    SetStateListHandlers(true);
    FReport.ClearLog();

    // 3-4: what to fetch and where to put it.
    CheckProject();
    FManners.Start();
    // 5-7: the links of earlier runs, or the start link.
    LoadLinkData();
    UpgradeSecureLinks(FProject);
    if (FProject.ResetOnProjStart) {
        DeleteDownloadedFiles(FProject, FSetup.Settings);
        FProject.Links->Clear();
    }
    if (FProject.Links->Count() == 0)
        CreateStartLink();
    else
        ResumeCheck();
    // 8: credentials.
    LoadPasswords();

    // 9: the start of the scope.
    FReport.Status(RunText(609));
    TDownloadLink* first = FProject.Links->First();
    FProject.StartServer = first->Server();
    FProject.StartDocument = first->Path;
    FProject.StartDomain = DomainOfRoot(first->Server());
    FProject.RunSize = 0;
    FProject.DownloadedCount = 0;
    FProject.LastDownloadDate = Date();

    // 10-11: the clients, and the scheduling set going.
    StartRateLimit();
    const TThreadId run = CurrentThreadId();
    FPageStore = std::make_unique<TPageStore>([run] { PostThreadMessage(run, WM_PAGES_STORED); });
    // The writer is woken when the loop runs out of work, not for every page
    // (or sooner, when enough waits): a busy run pays one wake-up for many.
    FPageStore->BatchWakes(true);
    SetIdleHandler([store = FPageStore.get()] { store->Nudge(); });
    try {
        FPageScanner = std::make_unique<TPageScanner>([run] { PostThreadMessage(run, WM_PAGES_SCANNED); },
                                                      ParserHooks().TagInterest());
    } catch (const std::exception& e) {
        // The pages are parsed on the run's thread alone, as they arrive.
        DebugLog(std::string("TDownloadRun: no page scanner (") + e.what() + ")");
    }
    for (int number = 1; number <= FSetup.ClientCount; ++number) CreateClient(number);
    FPaused = false;
    FReport.Status(RunText(612));
    FFreeClients.ProcessMessages();
    FScheduler.Arm();
    FFreeClients.Start();
    FRateMeter->Resume();

    // 12-13: plugins and rules (both before the first claim is handled).
    StartPlugins();
    LoadRules();

    // 14.
    const uint64_t interval = static_cast<uint64_t>(std::max(0, FSetup.Settings.AutosaveMinutes)) * 60000u;
    FAutosaveInterval = static_cast<uint32_t>(std::min<uint64_t>(interval, std::numeric_limits<uint32_t>::max()));
    FLastAutosave = GetTickCount();
    SetState(TRunState::ssRunning);
    FReport.Stats(FProject);
}

void TDownloadRun::CheckProject() {
    if (FProject.URL.empty()) throw ERunAborted(RunText(614));
    std::string target = !FProject.Destination.empty() ? FProject.Destination : FSetup.Settings.DefaultDownloadDir;
    if (target.empty()) throw ERunAborted(RunText(613));
    // A damaged project file: the system would cut the name at the NUL and
    // write every file somewhere else.
    if (target.find('\0') != std::string::npos)
        throw ERunAborted("The target directory holds a NUL byte (a damaged project file?); nothing is written: " +
                          target.substr(0, target.find('\0')));
    // Only HTTP and HTTPS are spoken: another scheme can't be downloaded at all.
    size_t scheme = FProject.URL.find("://");
    if (scheme != std::string::npos && HttpSchemeOf(FProject.URL).empty())
        throw ERunAborted("Only http:// and https:// addresses can be downloaded: " + FProject.URL);
    FProject.TargetDir = IncludeTrailingSlash(target);
    FProject.StartURL = NormalizedStartURL(FProject.URL);
}

void TDownloadRun::LoadLinkData() {
    // A list that already holds links (the front end's) is taken as it is.
    if (FProject.Links->Count() > 0) return;
    if (FProject.DataFileName.empty() || !FileExists(FProject.DataFileName)) {
        FProject.ProjectSize = 0;
        return;
    }
    FOwnsLinkData = true;
    try {
        FProject.Links->LoadFromFile(FProject.DataFileName);
    } catch (const ELoadLinksException&) {
        FReport.PostError(RunText(616) + "\n" + RunText(617));
    }
}

void TDownloadRun::CreateStartLink() {
    auto link = std::make_unique<TDownloadLink>(&FProject);
    link->Level = 0;
    link->ExternalLevel = 0;
    link->Size = 0;
    link->LastModified = 0;
    link->LinkType = ltPage;
    link->Kind = lkHttp;
    link->State = lsPending;
    link->Invalid = false;
    TestStartAddress(*link);

    std::string url = FProject.StartURL;
    std::string anchor;
    size_t hash = url.find('#');
    if (hash != std::string::npos) {
        anchor = url.substr(hash);
        url.resize(hash);
        if (NthSlash(url, 3) == std::string::npos) url += '/';
    }
    size_t third = NthSlash(url, 3);
    link->SetServer(url.substr(0, third + 1));
    link->Path = url.substr(third + 1);
    link->Anchor = anchor;
    size_t lastSlash = link->Path.rfind('/');
    link->ScopeDir = lastSlash == std::string::npos ? std::string() : link->Path.substr(0, lastSlash + 1);
    bool invalid = false;
    std::string name = URLToLocalName(link->Path, FProject.InvalidCharReplacement(), true, invalid);
    link->Invalid = invalid;
    size_t prefix = FProject.TargetDir.size() + link->LocalDir().size();
    if (prefix + name.size() > kMaxLocalPath) name = name.substr(0, prefix < 256 ? 256 - prefix : 0) + "000";
    link->LocalFileName = name;
    ForceDirectoriesConfined(FProject.TargetDir, HostPathBelow(FProject.TargetDir, link->LocalDir()));
    link->Forced = FProject.ProjectMode == pmHalfAutomatic;
    link->SendCredentials = FProject.UseAutentfication;
    FOwnsLinkData = true;
    FProject.Links->Add(link.release());
}

// A HEAD request for the start URL: its content type, and where it
// redirects (one step; the probe follows no redirect itself).
void TDownloadRun::TestStartAddress(TDownloadLink& link) {
    // robots.txt comes before every other request to the server, this one
    // too; an address it refuses is not asked for (the claim files it out).
    std::string root = FProject.StartURL.substr(0, FProject.StartURL.find('#'));
    const size_t third = NthSlash(root, 3);
    const std::string path = third == std::string::npos ? std::string("/") : root.substr(third);
    root = third == std::string::npos ? root + "/" : root.substr(0, third + 1);
    if (!FManners.RobotsAllowStart(root, path, [this](const std::function<bool()>& ready) {
            WaitDuringStartUp(ready, [] {});
        })) {
        RepostDeferred();
        return;
    }
    TArHTTP probe(&FReport, 0);
    probe.URL = FProject.StartURL;
    ConfigureConnection(probe);
    bool done = false;
    probe.OnRequestDone = [&](THttpCli&, THttpRequest, uint16_t) { done = true; };
    // A server that never answers must not hold the run at its start.
    TTimer silence;
    silence.SetEnabled(false);
    silence.OnTimer = [&](TTimer& timer) {
        timer.SetEnabled(false);
        probe.Abort();
    };
    if (FSetup.TimeOutEnabled && FSetup.TimeOutMs > 0) {
        silence.SetInterval(static_cast<uint32_t>(FSetup.TimeOutMs));
        silence.SetEnabled(true);
    }
    FReport.LogAndStatus(RunText(608));
    probe.Head();
    WaitDuringStartUp([&] { return done; }, [&] { probe.Abort(); });
    RepostDeferred();

    link.MimeType = probe.ContentTypeString();
    // Only a redirect to another http:// or https:// address replaces the start URL.
    std::string location = EncodeURL(probe.Location());
    if (!HttpSchemeOf(location).empty()) FProject.StartURL = NormalizedStartURL(location);
}

void TDownloadRun::WaitDuringStartUp(const std::function<bool()>& done, const std::function<void()>& onQuit) {
    while (!done()) {
        TMsg msg;
        if (!GetMessage(msg)) {
            onQuit();
            throw ERunAborted(RunText(615));
        }
        // What the main window asks meanwhile is handled by the loop later.
        if (msg.Target == 0)
            FDeferred.push_back(std::move(msg));
        else
            DispatchMessage(msg);
    }
}

void TDownloadRun::RepostDeferred() {
    for (TMsg& msg : FDeferred)
        PostThreadMessage(CurrentThreadId(), msg.Message, msg.WParam, msg.LParam, std::move(msg.Payload));
    FDeferred.clear();
}

void TDownloadRun::ResumeCheck() {
    FResuming = false;
    for (TDownloadLink* link = FProject.Links->Last(); link; link = FProject.Links->Prev(link)) {
        if (link->State == lsPending) {
            FResuming = true;
            FReport.PostLog(RunText(619));
            break;
        }
        if (link->State == lsFilteredOut && link->IsForced()) {
            FResuming = true;
            FReport.PostLog(RunText(631));
            break;
        }
    }
    if (FResuming) RefileLoadedLinks();
}

void TDownloadRun::RefileLoadedLinks() {
    SetStateListHandlers(false);
    FProject.Downloaded->Clear();
    FProject.FilteredOut->Clear();
    for (TDownloadLink* link : *FProject.Links) {
        if (link->State == lsDownloaded)
            FProject.Downloaded->Add(link);
        else if (link->State == lsFilteredOut) {
            if (link->IsForced())
                link->State = lsPending;
            else
                FProject.FilteredOut->Add(link);
        }
    }
    SetStateListHandlers(true);
}

void TDownloadRun::LoadPasswords() {
    const std::string file = PasswordFile();
    if (FileExists(file)) {
        FPasswordFileExisted = true;
        try {
            FPasswords.LoadFromFile(file);
        } catch (const std::exception& e) {
            FReport.PostError(e.what());
        }
    }
    if (!FProject.UseAutentfication) return;
    TDownloadLink& first = *FProject.Links->First();
    if (TPassWordListEntry* entry = FPasswords.Find(first)) {
        entry->UserName = FProject.UserName;
        entry->Password = FProject.Password;
    } else {
        FPasswords.Store(first, FProject.UserName, FProject.Password);
    }
}

void TDownloadRun::CreateClient(int number) {
    auto client = std::make_unique<TRunClient>(&FReport, number, FProject, ParserHooks());
    client->Html().SetReferenceRepair(&FRepairs);
    client->Html().SetPageStore(FPageStore.get());
    FResponses.Install(*client);
    ConfigureConnection(*client);
    client->NumberOfTries = FSetup.NumberOfTries;
    client->TimeOutLength = FSetup.TimeOutMs / 1000;
    client->SetTimeOutEnabled(FSetup.TimeOutEnabled);
    // The interval in milliseconds, so that it need not be whole seconds.
    if (FSetup.TimeOutEnabled) client->TimeOutTimer().SetInterval(static_cast<uint32_t>(FSetup.TimeOutMs));
    client->SetLowSpeedLimit(FSetup.LowSpeedBytes, FSetup.LowSpeedMs);
    client->Throttle = FRateLimit.get();
    FManners.Install(*client);
    FReport.ClientStatus(number, RunText(606));
    FFreeClients.Push(client.get());
    FClients.push_back(std::move(client));
}

void TDownloadRun::StartRateLimit() {
    if (FProject.Manners.LimitRate <= 0) return;
    FRateLimit = std::make_unique<TRateLimit>(FProject.Manners.LimitRate, [this] {
        for (const auto& client : FClients) client->ResumeReading();
    });
}

void TDownloadRun::ConfigureConnection(THttpCli& client) {
    client.Proxy = FSetup.ProxyHost;
    if (!FSetup.ProxyPort.empty()) client.ProxyPort = FSetup.ProxyPort;
    client.ProxyUsername = FSetup.ProxyUser;
    client.ProxyPassword = FSetup.ProxyPassword;
    if (!FSetup.Settings.IdentifyAs.empty()) client.Agent = FSetup.Settings.IdentifyAs;
    client.Tls.CheckCertificates = FSetup.Settings.CheckCertificates;
    client.Tls.CaFile = FSetup.Settings.CaCertificates;
    client.KeepAlive = FSetup.Settings.KeepAlive;
    if (client.KeepAlive) {
        if (!FConnectionPool) FConnectionPool = std::make_unique<THttpConnectionPool>();
        client.ConnectionPool = FConnectionPool.get();
    }
}

void TDownloadRun::StartPlugins() {
    // A project without a data file keeps no plugin data.
    if (!FSetup.Plugins || FProject.DataFileName.empty()) return;
    try {
        FSetup.Plugins->StartDownload(FProject, FProject.DataFileName + ".plugins");
    } catch (const std::exception& e) {
        FReport.PostError(e.what());
    }
}

void TDownloadRun::LoadRules() {
    std::string error;
    try {
        FRules = CreateRunRules(FProject, error);
    } catch (const std::exception& e) {
        error = e.what();
    }
    if (!error.empty()) FReport.PostError(RunText(620) + "(" + error + ")");
}

} // namespace vorlin
