// THttpConnectionPool: the persistent connections that wait between
// requests, kept per scheme, host, port and proxy (the key the client gives
// them). It belongs to one thread: a download run owns one for all its
// clients; a client without one keeps its own. A connection that the server
// closes, that receives anything while it waits, or that waits longer than
// the idle time-out is closed and freed; the oldest go first when more than
// the limit wait.
#pragma once

#include "net/HttpConnection.h"
#include "platform/MessageTarget.h"
#include "platform/Timer.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vorlin {

class THttpConnectionPool final : private IHttpConnectionUser {
public:
    static constexpr uint32_t kDefaultIdleTimeoutMs = 30000;
    static constexpr size_t kDefaultMaxIdle = 64;

    explicit THttpConnectionPool(uint32_t idleTimeoutMs = kDefaultIdleTimeoutMs, size_t maxIdle = kDefaultMaxIdle);
    ~THttpConnectionPool();
    THttpConnectionPool(const THttpConnectionPool&) = delete;
    THttpConnectionPool& operator=(const THttpConnectionPool&) = delete;

    // The connection that waited last under this key and still looks alive,
    // or null. The caller becomes its user.
    std::unique_ptr<THttpConnection> Take(const std::string& key);
    // Lays an open connection aside under its Key; anything else is closed.
    void Put(std::unique_ptr<THttpConnection> connection);

    size_t IdleCount() const { return FIdle.size(); }
    // Counters for tests and benchmarks: connections laid aside, and taken again.
    uint64_t PutCount() const { return FPuts; }
    uint64_t ReuseCount() const { return FReuses; }

private:
    // Events of the waiting connections (the pool is their user).
    void ConnectionDnsLookupDone(THttpConnection&, uint16_t) override {}
    void ConnectionConnected(THttpConnection&, uint16_t) override {}
    void ConnectionDataAvailable(THttpConnection& connection, uint16_t error) override;
    void ConnectionClosed(THttpConnection& connection, uint16_t error) override;

    // Closes a waiting connection and frees it on a later turn of the loop
    // (its own event may be running).
    void Discard(THttpConnection& connection);
    void Sweep();
    void UpdateTimer();

    uint32_t FIdleTimeoutMs;
    size_t FMaxIdle;
    std::vector<std::unique_ptr<THttpConnection>> FIdle;  // oldest first
    std::vector<std::unique_ptr<THttpConnection>> FDead;  // freed by a posted message
    TMessageTarget FTarget;
    TTimer FTimer;
    uint64_t FPuts = 0;
    uint64_t FReuses = 0;
};

} // namespace vorlin
