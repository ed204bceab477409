// The run's rate limit (--limit-rate): a budget of bytes that refills at
// the rate, shared by every connection of the run. A connection that finds
// it empty holds reading on its socket (the data waits in the system's
// buffers and TCP slows the server down); a timer of the run's thread
// resumes the held connections once the budget has refilled. The thread
// never sleeps, so pause, cancel and the window's questions are served.
#pragma once

#include "net/HttpCli.h"
#include "platform/Timer.h"

#include <cstdint>
#include <functional>

namespace vorlin {

class TRateLimit final : public IReadThrottle {
public:
    // resumeAll is called on the run's thread when held readers may go on.
    TRateLimit(int64_t bytesPerSecond, std::function<void()> resumeAll);

    int Allowance(int wanted) override;
    void Consumed(int bytes) override;
    void Holding(THttpCli& client) override;

    int64_t Rate() const { return FRate; }

private:
    void Refill();

    int64_t FRate;
    double FBudget;
    double FBurst;  // the most the budget holds
    uint64_t FLastRefill;
    std::function<void()> FResumeAll;
    TTimer FTimer;
};

} // namespace vorlin
