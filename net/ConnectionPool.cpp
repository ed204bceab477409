#include "net/ConnectionPool.h"

#include "platform/MessageQueue.h"
#include "platform/Ticks.h"

#include <algorithm>

namespace vorlin {

namespace {

// Frees the closed connections on a later turn of the loop.
constexpr uint32_t WM_POOL_FREE = WM_USER + 1;

} // namespace

THttpConnectionPool::THttpConnectionPool(uint32_t idleTimeoutMs, size_t maxIdle)
    : FIdleTimeoutMs(std::max<uint32_t>(idleTimeoutMs, 10)), FMaxIdle(std::max<size_t>(maxIdle, 1)) {
    FTarget.SetHandler([this](TMsg& msg) -> intptr_t {
        if (msg.Message == WM_POOL_FREE) FDead.clear();
        return 0;
    });
    FTimer.SetEnabled(false);
    FTimer.SetInterval(std::min<uint32_t>(1000, FIdleTimeoutMs / 2 + 1));
    FTimer.OnTimer = [this](TTimer&) { Sweep(); };
}

THttpConnectionPool::~THttpConnectionPool() {
    FTimer.SetEnabled(false);
    for (auto& connection : FIdle) connection->SetUser(nullptr);
    FIdle.clear();
    FDead.clear();
}

std::unique_ptr<THttpConnection> THttpConnectionPool::Take(const std::string& key) {
    for (size_t i = FIdle.size(); i-- > 0;) {
        if (FIdle[i]->Key != key) continue;
        THttpConnection& candidate = *FIdle[i];
        if (!candidate.LooksIdle()) {
            // The server has closed it, or sent something: of no use.
            Discard(candidate);
            continue;
        }
        std::unique_ptr<THttpConnection> connection = std::move(FIdle[i]);
        FIdle.erase(FIdle.begin() + static_cast<std::ptrdiff_t>(i));
        connection->SetUser(nullptr);
        ++FReuses;
        UpdateTimer();
        return connection;
    }
    return nullptr;
}

void THttpConnectionPool::Put(std::unique_ptr<THttpConnection> connection) {
    if (!connection) return;
    connection->SetUser(this);
    if (!connection->IsOpen()) {
        FIdle.push_back(std::move(connection));
        Discard(*FIdle.back());
        return;
    }
    connection->IdleSince = GetTickCount();
    FIdle.push_back(std::move(connection));
    ++FPuts;
    while (FIdle.size() > FMaxIdle) Discard(*FIdle.front());
    UpdateTimer();
}

void THttpConnectionPool::ConnectionDataAvailable(THttpConnection& connection, uint16_t) {
    char scratch[512];
    // A TLS connection may get records that carry no data (a session
    // ticket): it stays. Data, or the end of the stream, end it.
    if (connection.Receive(scratch, sizeof scratch) < 0 && connection.LastError() == WSAEWOULDBLOCK) return;
    Discard(connection);
}

void THttpConnectionPool::ConnectionClosed(THttpConnection& connection, uint16_t) { Discard(connection); }

void THttpConnectionPool::Discard(THttpConnection& connection) {
    auto found = std::find_if(FIdle.begin(), FIdle.end(), [&](const auto& c) { return c.get() == &connection; });
    if (found == FIdle.end()) return;
    std::unique_ptr<THttpConnection> dead = std::move(*found);
    FIdle.erase(found);
    dead->SetUser(nullptr);
    if (dead->Socket().State() != TSocketState::wsClosed) dead->Close();
    FDead.push_back(std::move(dead));
    PostMessage(FTarget.Handle(), WM_POOL_FREE);
    UpdateTimer();
}

void THttpConnectionPool::Sweep() {
    const uint32_t now = GetTickCount();
    for (size_t i = FIdle.size(); i-- > 0;)
        if (i < FIdle.size() && now - FIdle[i]->IdleSince >= FIdleTimeoutMs) Discard(*FIdle[i]);
    UpdateTimer();
}

// The timer runs only while connections wait; it is not restarted by every
// Put, or a busy run would keep pushing the sweep away.
void THttpConnectionPool::UpdateTimer() {
    const bool wanted = !FIdle.empty();
    if (wanted != FTimer.Enabled()) FTimer.SetEnabled(wanted);
}

} // namespace vorlin
