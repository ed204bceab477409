// How a run treats the servers it fetches from: robots.txt (fetched once
// per server, scheme + host + port, before its first other request, and
// obeyed), the wait between two requests to one server (the project's, else
// the server's Crawl-delay), and the cookies the servers set.
//
// The scheduler asks Admit for every link it is about to request. A link
// whose server is not ready (its robots.txt is still coming, or its wait
// has not passed) is held here, unclaimed, and handed back to the scheduler
// when the server is ready; links of other servers go on meanwhile.
#pragma once

#include "engine/RobotsFetch.h"
#include "engine/RobotsRules.h"
#include "net/CookieJar.h"
#include "platform/Timer.h"
#include "project/DownloadLink.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <unordered_set>
#include <vector>

namespace vorlin {

class TDownloadRun;
class THttpCli;

enum class TAdmission : uint8_t {
    adGo,       // request it now
    adHold,     // held until its server is ready
    adRefused,  // robots.txt refuses it
};

// A Crawl-delay above this counts as this (a hostile file must not stall a run).
constexpr double kMaxCrawlDelaySeconds = 60;

class TServerManners {
public:
    explicit TServerManners(TDownloadRun& run);
    ~TServerManners();
    TServerManners(const TServerManners&) = delete;
    TServerManners& operator=(const TServerManners&) = delete;

    // Takes the project's settings and reads its cookies file.
    void Start();
    // Aborts the robots.txt requests still running (the run ends).
    void Stop();
    // Writes the cookies file the project names.
    void SaveCookies();

    // The link passed every admission check and is claimed. rule names
    // what refused it.
    TAdmission Admit(TDownloadLink& link, std::string& rule);
    // A held link that passed the admission checks once is not checked again.
    bool TakeAdmitted(TDownloadLink& link);

    // Before the test of the start address: fetches the start server's
    // robots.txt (waiting with wait) and answers whether it allows the path.
    bool RobotsAllowStart(const std::string& serverRoot, const std::string& path,
                          const std::function<void(const std::function<bool()>& ready)>& wait);

    // Every request of the run to a server starts and ends through these.
    void RequestStarted(const TDownloadLink& link);
    void RequestEnded(const TDownloadLink& link);

    // A connection of the run: its Set-Cookie headers go into the jar.
    void Install(THttpCli& client);
    // The Cookie header for a request of url.
    std::string CookieHeader(const std::string& url);
    TCookieJar& Cookies() { return FCookies; }

    size_t HeldLinks() const;

private:
    enum class TRobotsState : uint8_t { rbUnknown, rbFetching, rbKnown };
    struct TServer {
        std::string Root;  // as the links have it, for the request of robots.txt
        TRobotsState Robots = TRobotsState::rbUnknown;
        TRobotsRules Rules;
        double Delay = 0;        // seconds between two requests
        int InFlight = 0;
        uint64_t ReadyAt = 0;    // tick from which the next request may start
        std::vector<TDownloadLink*> Held;
    };

    TServer& ServerOf(const TDownloadLink& link) { return ServerOf(link.Server()); }
    TServer& ServerOf(const std::string& serverRoot);
    void Hold(TServer& server, TDownloadLink& link);
    void FetchRobots(TServer& server);
    void RobotsDone(TRobotsFetch& fetch);
    void ReleaseReady();
    void ArmTimer();
    double NextWait(const TServer& server);

    TDownloadRun& FRun;
    bool FObeyRobots = false;
    double FWait = 0;
    bool FRandomWait = false;
    std::string FAgentToken;
    std::map<std::string, TServer> FServers;  // by scheme://host:port
    std::string FLastRoot;  // the root ServerOf was asked for last
    TServer* FLastServer = nullptr;  // and its entry
    std::unordered_set<TDownloadLink*> FAdmitted;
    std::vector<std::unique_ptr<TRobotsFetch>> FFetches;
    TTimer FTimer;
    std::mt19937 FRandom{std::random_device{}()};
    TCookieJar FCookies;
    int FCookieRefusals = 0;
    bool FLoggedDelayCap = false;
};

// The key of a server root: "scheme://host:port", lower case, the
// scheme's own port written out.
std::string ServerKeyOf(const std::string& serverRoot);

} // namespace vorlin
