#include "engine/RateLimit.h"

#include "platform/Ticks.h"

#include <algorithm>
#include <cmath>

namespace vorlin {

namespace {

// Reads smaller than this are not worth a wake-up of their own.
constexpr double kSmallestRead = 1024;

} // namespace

TRateLimit::TRateLimit(int64_t bytesPerSecond, std::function<void()> resumeAll)
    : FRate(std::max<int64_t>(1, bytesPerSecond)),
      // A tenth of a second's worth: smooth enough, and few wake-ups.
      FBurst(std::max<double>(static_cast<double>(FRate) / 10, kSmallestRead)),
      FLastRefill(GetTickCount64()),
      FResumeAll(std::move(resumeAll)) {
    FBudget = FBurst;
    FTimer.SetEnabled(false);
    FTimer.OnTimer = [this](TTimer& timer) {
        timer.SetEnabled(false);
        Refill();
        if (FResumeAll) FResumeAll();
    };
}

void TRateLimit::Refill() {
    const uint64_t now = GetTickCount64();
    FBudget = std::min(FBurst, FBudget + static_cast<double>(now - FLastRefill) * static_cast<double>(FRate) / 1000.0);
    FLastRefill = now;
}

int TRateLimit::Allowance(int wanted) {
    Refill();
    if (FBudget < std::min<double>(wanted, kSmallestRead)) return 0;
    return static_cast<int>(std::min<double>(wanted, std::floor(FBudget)));
}

void TRateLimit::Consumed(int bytes) { FBudget -= bytes; }

void TRateLimit::Holding(THttpCli&) {
    if (FTimer.Enabled()) return;
    // Until a read of useful size fits again.
    const double missing = std::max(0.0, std::min(FBurst, kSmallestRead * 4) - FBudget);
    const double ms = std::ceil(missing * 1000.0 / static_cast<double>(FRate));
    FTimer.SetInterval(static_cast<uint32_t>(std::clamp(ms, 10.0, 1000.0)));
    FTimer.SetEnabled(true);
}

} // namespace vorlin
