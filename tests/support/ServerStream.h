// The server's end of one test connection: plain TCP, or TLS over it. The
// test servers send, receive and end their connections through it, so a
// script plays alike over both. A TLS stream shakes hands when it is first
// used (a pause before the first step delays the handshake) and can end with
// close_notify or be cut without it.
#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <string>

struct ssl_ctx_st;

namespace vorlin::test {

struct TTestCertificate;

class TServerStream {
public:
    explicit TServerStream(int fd) : FFd(fd) {}
    virtual ~TServerStream() = default;
    TServerStream(const TServerStream&) = delete;
    TServerStream& operator=(const TServerStream&) = delete;

    int Fd() const { return FFd; }
    virtual bool SendAll(const std::string& bytes, const std::atomic<bool>& stop);
    // Waits up to about 20 ms: the count read (> 0), 0 when the client has
    // gone (or the handshake failed), -1 when nothing came.
    virtual int Receive(char* buffer, size_t len, const std::atomic<bool>& stop);
    // Ends the sending side gracefully (TLS: close_notify first).
    virtual void Close();
    // Ends the sending side without close_notify (plain: as Close).
    virtual void Cut();

protected:
    int FFd;
};

// The server side of TLS for one certificate.
class TTlsServerContext {
public:
    explicit TTlsServerContext(const TTestCertificate& certificate);
    ~TTlsServerContext();
    TTlsServerContext(const TTlsServerContext&) = delete;
    TTlsServerContext& operator=(const TTlsServerContext&) = delete;

    std::unique_ptr<TServerStream> Wrap(int fd) const;
    // How many handshakes resumed a session (the client's session cache).
    int Resumed() const { return FResumed; }
    int Handshakes() const { return FHandshakes; }

private:
    friend class TTlsServerStream;
    ssl_ctx_st* FContext = nullptr;
    mutable std::atomic<int> FResumed{0};
    mutable std::atomic<int> FHandshakes{0};
};

} // namespace vorlin::test
