// The listening half of the test servers: a socket on 127.0.0.1 on a free
// port, an accepting thread, one thread per connection, and a stop that
// joins them all. Also plays a TScript's steps on a connection, so every
// test server sends, pauses, closes and resets alike.
#pragma once

#include "tests/support/ScriptedServer.h"

#include <atomic>
#include <cstdint>
#include <functional>
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

    // Starts accepting. Call once the owner's members are ready.
    void Start(TAccept accept);
    // Ends accepting and waits for every connection's thread; idempotent.
    // Owners call it first in their destructor.
    void Stop();

    uint16_t Port() const { return FPort; }
    std::string Url(const std::string& path) const;
    bool Stopping() const { return FStop; }
    // Sleeps in small slices so a stop never waits long; false once stopping.
    bool Wait(uint32_t ms) const;

    // Plays the steps after the request was read. readRequest serves a
    // ReadRequest step (false: the client went away); received gets what
    // arrives while the server keeps silent. Answers true when a Silence
    // step ended because the client closed.
    bool PlaySteps(int fd, const TScript& script, const std::function<bool()>& readRequest,
                   const std::function<void(const char*, size_t)>& received) const;
    // Closes the connection; after anything but a reset it first waits
    // briefly for the client to finish, so unread bytes never become a reset.
    void CloseConnection(int fd, const TScript& script) const;

private:
    void AcceptLoop();

    int FListen = -1;
    uint16_t FPort = 0;
    std::atomic<bool> FStop{false};
    TAccept FAccept;
    std::thread FAcceptor;
    std::mutex FLock;
    std::vector<std::thread> FWorkers;
};

} // namespace vorlin::test
