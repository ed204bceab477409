// The listening half of the test servers: a socket on 127.0.0.1 on a free
// port, an accepting thread, one thread per connection, and a stop that
// joins them all. Also plays a TScript's steps on a connection, so every
// test server sends, pauses, closes and resets alike, over plain TCP or TLS.
#pragma once

#include "tests/support/ScriptedServer.h"
#include "tests/support/ServerStream.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vorlin::test {

class TLoopbackListener {
public:
    // Called on the accepting thread for each connection, in the order of
    // acceptance; returns the work that serves it on a thread of its own.
    using TAccept = std::function<std::function<void()>(int fd)>;

    TLoopbackListener();
    ~TLoopbackListener();
    TLoopbackListener(const TLoopbackListener&) = delete;
    TLoopbackListener& operator=(const TLoopbackListener&) = delete;

    // Every connection speaks TLS with this certificate (before Start).
    void EnableTls(const TTestCertificate& certificate);
    const TTlsServerContext* Tls() const { return FTls.get(); }
    // The connection's stream: plain, or TLS when enabled.
    std::unique_ptr<TServerStream> OpenStream(int fd) const;

    // Starts accepting. Call once the owner's members are ready.
    void Start(TAccept accept);
    // Ends accepting and waits for every connection's thread; idempotent.
    // Owners call it first in their destructor.
    void Stop();

    uint16_t Port() const { return FPort; }
    // "http://127.0.0.1:port" + path ("https://" with TLS).
    std::string Url(const std::string& path) const;
    bool Stopping() const { return FStop; }
    const std::atomic<bool>& StopFlag() const { return FStop; }
    // Sleeps in small slices so a stop never waits long; false once stopping.
    bool Wait(uint32_t ms) const;

    // Plays the steps after the request was read. readRequest serves a
    // ReadRequest step (false: the client went away); received gets what
    // arrives while the server keeps silent. Answers true when a Silence
    // step ended because the client closed, or the client was gone (its
    // connection reset) before the server got to that Silence step.
    bool PlaySteps(TServerStream& stream, const TScript& script, const std::function<bool()>& readRequest,
                   const std::function<void(const char*, size_t)>& received) const;
    // Closes the connection; after anything but a reset it first waits
    // briefly for the client to finish, so unread bytes never become a reset.
    void CloseConnection(TServerStream& stream, const TScript& script) const;

private:
    void AcceptLoop();

    int FListen = -1;
    uint16_t FPort = 0;
    std::atomic<bool> FStop{false};
    TAccept FAccept;
    std::thread FAcceptor;
    std::mutex FLock;
    std::vector<std::thread> FWorkers;
    std::unique_ptr<TTlsServerContext> FTls;
};

} // namespace vorlin::test
