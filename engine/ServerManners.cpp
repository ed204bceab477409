#include "engine/ServerManners.h"

#include "engine/DownloadRun.h"
#include "links/UrlHelpers.h"
#include "net/CookiesTxt.h"
#include "platform/DebugLog.h"
#include "platform/StringUtils.h"
#include "platform/Ticks.h"
#include "project/DownloadLink.h"
#include "project/DownloadProject.h"

#include <algorithm>
#include <cmath>
#include <ctime>

namespace vorlin {

namespace {

int64_t UnixNow() { return static_cast<int64_t>(std::time(nullptr)); }

// Refused cookies reported to the debug log per run: a hostile server may
// send thousands.
constexpr int kReportedCookieRefusals = 10;

} // namespace

std::string ServerKeyOf(const std::string& serverRoot) {
    TURLParts parts = SplitURL(serverRoot);
    const std::string scheme = LowerCase(parts.Proto.empty() ? std::string("http") : parts.Proto);
    return scheme + "://" + LowerCase(parts.Host) + ":" + (parts.Port.empty() ? DefaultPortOf(scheme) : parts.Port);
}

TServerManners::TServerManners(TDownloadRun& run) : FRun(run) {
    FTimer.SetEnabled(false);
    FTimer.OnTimer = [this](TTimer& timer) {
        timer.SetEnabled(false);
        ReleaseReady();
    };
}

TServerManners::~TServerManners() { Stop(); }

void TServerManners::Start() {
    const TProjectManners& settings = FRun.Project().Manners;
    FObeyRobots = settings.ObeyRobots;
    FWait = std::max(0.0, settings.WaitSeconds);
    FRandomWait = settings.RandomWait;
    THttpCli identity;
    FRun.ConfigureConnection(identity);
    FAgentToken = AgentTokenOf(identity.Agent);
    if (settings.LoadCookies.empty()) return;
    try {
        TCookiesTxtReport report = LoadCookiesTxt(settings.LoadCookies, FCookies, UnixNow());
        FRun.Report().PostLog(Format("%d cookies read from %s", report.Loaded, settings.LoadCookies.c_str()) +
                              (report.Skipped ? Format(" (%d lines skipped)", report.Skipped) : std::string()));
    } catch (const std::exception& e) {
        FRun.Report().PostError("The cookies file could not be read: " + std::string(e.what()));
    }
}

void TServerManners::Stop() {
    FTimer.SetEnabled(false);
    for (auto& fetch : FFetches) {
        if (fetch->Done()) continue;
        fetch->Abort();
    }
    FFetches.clear();
}

void TServerManners::SaveCookies() {
    const TProjectManners& settings = FRun.Project().Manners;
    if (settings.SaveCookies.empty()) return;
    try {
        SaveCookiesTxt(settings.SaveCookies, FCookies, UnixNow(), settings.KeepSessionCookies);
    } catch (const std::exception& e) {
        FRun.Report().PostError("The cookies file could not be written: " + std::string(e.what()));
    }
}

TServerManners::TServer& TServerManners::ServerOf(const std::string& serverRoot) {
    // Asked three times per request, mostly for the server asked last time.
    if (FLastServer && serverRoot == FLastRoot) return *FLastServer;
    auto [it, added] = FServers.try_emplace(ServerKeyOf(serverRoot));
    if (added) {
        it->second.Root = serverRoot;
        it->second.Delay = FWait;
    }
    FLastRoot = serverRoot;
    FLastServer = &it->second;  // map entries stay where they are, and none is erased
    return it->second;
}

bool TServerManners::TakeAdmitted(TDownloadLink& link) { return FAdmitted.erase(&link) != 0; }

void TServerManners::Hold(TServer& server, TDownloadLink& link) {
    FAdmitted.insert(&link);
    server.Held.push_back(&link);
}

TAdmission TServerManners::Admit(TDownloadLink& link, std::string& rule) {
    if (!FObeyRobots && FWait <= 0) return TAdmission::adGo;
    TServer& server = ServerOf(link);
    if (FObeyRobots) {
        if (server.Robots != TRobotsState::rbKnown) {
            if (server.Robots == TRobotsState::rbUnknown) FetchRobots(server);
            Hold(server, link);
            return TAdmission::adHold;
        }
        if (!server.Rules.Allowed("/" + link.Path, &rule)) return TAdmission::adRefused;
    }
    if (server.Delay > 0 && (server.InFlight > 0 || GetTickCount64() < server.ReadyAt)) {
        Hold(server, link);
        ArmTimer();
        return TAdmission::adHold;
    }
    return TAdmission::adGo;
}

bool TServerManners::RobotsAllowStart(const std::string& serverRoot, const std::string& path,
                                      const std::function<void(const std::function<bool()>& ready)>& wait) {
    if (!FObeyRobots) return true;
    TServer& server = ServerOf(serverRoot);
    if (server.Robots == TRobotsState::rbUnknown) FetchRobots(server);
    wait([&server] { return server.Robots == TRobotsState::rbKnown; });
    return server.Rules.Allowed(path);
}

void TServerManners::RequestStarted(const TDownloadLink& link) {
    if (!FObeyRobots && FWait <= 0) return;
    ++ServerOf(link).InFlight;
}

void TServerManners::RequestEnded(const TDownloadLink& link) {
    if (!FObeyRobots && FWait <= 0) return;
    TServer& server = ServerOf(link);
    server.InFlight = std::max(0, server.InFlight - 1);
    if (server.Delay <= 0) return;
    server.ReadyAt = GetTickCount64() + static_cast<uint64_t>(std::llround(NextWait(server) * 1000));
    ArmTimer();
}

double TServerManners::NextWait(const TServer& server) {
    if (!FRandomWait) return server.Delay;
    // As wget: between half and one and a half times the wait.
    std::uniform_real_distribution<double> factor(0.5, 1.5);
    return server.Delay * factor(FRandom);
}

void TServerManners::FetchRobots(TServer& server) {
    server.Robots = TRobotsState::rbFetching;
    // Fetches that have ended are freed here, never inside their own event.
    std::erase_if(FFetches, [](const auto& fetch) { return fetch->Done(); });
    const uint32_t timeOut = FRun.Setup().TimeOutEnabled ? static_cast<uint32_t>(std::max(0, FRun.Setup().TimeOutMs)) : 0;
    auto fetch = std::make_unique<TRobotsFetch>(
        server.Root, [this](THttpCli& client) { FRun.ConfigureConnection(client); }, timeOut,
        [this](TRobotsFetch& done) { RobotsDone(done); });
    TRobotsFetch& started = *fetch;
    FFetches.push_back(std::move(fetch));
    started.Start();
}

void TServerManners::RobotsDone(TRobotsFetch& fetch) {
    auto it = FServers.find(ServerKeyOf(fetch.Server()));
    if (it == FServers.end()) return;
    TServer& server = it->second;
    server.Robots = TRobotsState::rbKnown;
    switch (fetch.Outcome()) {
    case TRobotsOutcome::roFound:
        server.Rules = TRobotsRules::Parse(fetch.Text(), FAgentToken);
        DebugLog(Format("robots.txt of %s: %d rules", fetch.Server().c_str(), static_cast<int>(server.Rules.RuleCount())));
        break;
    case TRobotsOutcome::roMissing:
        break;
    case TRobotsOutcome::roUnavailable:
        FRun.Report().PostLog(DisplayURL(fetch.Server()) + "robots.txt could not be read (" + fetch.Why() +
                              "): everything on that server is allowed");
        break;
    }
    if (FWait <= 0 && server.Rules.CrawlDelay() > 0) {
        server.Delay = std::min(server.Rules.CrawlDelay(), kMaxCrawlDelaySeconds);
        if (server.Rules.CrawlDelay() > kMaxCrawlDelaySeconds && !FLoggedDelayCap) {
            FLoggedDelayCap = true;
            FRun.Report().PostLog(Format("%srobots.txt asks for a Crawl-delay of %.0f s; %.0f s are waited",
                                         DisplayURL(fetch.Server()).c_str(), server.Rules.CrawlDelay(),
                                         kMaxCrawlDelaySeconds));
        }
    }
    // The request of robots.txt counts as one: the wait starts after it.
    if (server.Delay > 0) server.ReadyAt = GetTickCount64() + static_cast<uint64_t>(std::llround(NextWait(server) * 1000));
    ReleaseReady();
}

// Hands the links of every ready server back to the scheduler, then waits
// for the next server to become ready.
void TServerManners::ReleaseReady() {
    const uint64_t now = GetTickCount64();
    for (auto& [key, server] : FServers) {
        if (server.Held.empty()) continue;
        if (FObeyRobots && server.Robots != TRobotsState::rbKnown) continue;
        if (server.Delay > 0 && (server.InFlight > 0 || now < server.ReadyAt)) continue;
        std::vector<TDownloadLink*> held;
        held.swap(server.Held);
        for (TDownloadLink* link : held) FRun.Scheduler().Offer(*link);
    }
    ArmTimer();
}

void TServerManners::ArmTimer() {
    const uint64_t now = GetTickCount64();
    uint64_t next = 0;
    for (const auto& [key, server] : FServers) {
        if (server.Held.empty() || server.InFlight > 0) continue;
        if (FObeyRobots && server.Robots != TRobotsState::rbKnown) continue;
        if (next == 0 || server.ReadyAt < next) next = server.ReadyAt;
    }
    if (next == 0) return;
    const uint64_t ms = next > now ? next - now : 1;
    if (FTimer.Enabled() && FTimer.Interval() <= ms) return;
    FTimer.SetInterval(static_cast<uint32_t>(std::min<uint64_t>(ms, 0x7FFFFFFF)));
    FTimer.SetEnabled(true);
}

void TServerManners::Install(THttpCli& client) {
    client.OnCookie = [this](THttpCli& sender, const std::string& data, bool&) {
        std::string why;
        if (FCookies.SetCookie(sender.URL, data, UnixNow(), &why)) return;
        if (FCookieRefusals++ < kReportedCookieRefusals)
            DebugLog("A cookie from " + DisplayURL(sender.URL) + " was refused: " + why);
    };
}

std::string TServerManners::CookieHeader(const std::string& url) { return FCookies.CookieHeader(url, UnixNow()); }

size_t TServerManners::HeldLinks() const {
    size_t count = 0;
    for (const auto& [key, server] : FServers) count += server.Held.size();
    return count;
}

} // namespace vorlin
