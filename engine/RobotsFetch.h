// One server's robots.txt, fetched with a client of the run's own (on the
// run's thread, through the run's proxy and kept connections): at most
// TRobotsRules::kMaxBytes of it, a few redirects, the run's time-out. What
// became of it is told through the loop once the request is done.
#pragma once

#include "net/HttpCli.h"
#include "platform/Timer.h"

#include <cstdint>
#include <functional>
#include <string>

namespace vorlin {

enum class TRobotsOutcome : uint8_t {
    roFound,        // the file (or its first kMaxBytes)
    roMissing,      // 4xx: everything is allowed
    roUnavailable,  // 5xx, no connection, a time-out, too many redirects
};

class TRobotsFetch {
public:
    using TDone = std::function<void(TRobotsFetch& fetch)>;
    static constexpr int kMaxRedirects = 5;

    // configure sets the client up as the run's connections are.
    TRobotsFetch(std::string serverRoot, const std::function<void(THttpCli&)>& configure, uint32_t timeOutMs,
                 TDone done);
    void Start();
    void Abort() { FClient.Abort(); }

    const std::string& Server() const { return FServer; }
    TRobotsOutcome Outcome() const { return FOutcome; }
    const std::string& Text() const { return FText; }
    // For the log: the status or failure that made the file unavailable.
    const std::string& Why() const { return FWhy; }
    bool Done() const { return FDone; }

private:
    void RequestDone(uint16_t error);

    std::string FServer;
    THttpCli FClient;
    TTimer FSilence;
    TDone FOnDone;
    std::string FText;
    std::string FWhy;
    TRobotsOutcome FOutcome = TRobotsOutcome::roUnavailable;
    int FRedirects = 0;
    bool FCut = false;  // we ended the transfer at kMaxBytes
    bool FTimedOut = false;
    bool FDone = false;
};

} // namespace vorlin
