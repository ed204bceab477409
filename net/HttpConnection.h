// THttpConnection: one connection of the HTTP client, to a server or to a
// proxy: the socket and, over it, a CONNECT tunnel through the proxy and the
// TLS layer when the server is an https one. It tells one user at a time
// what happens (the client that sends a request on it, or the pool where it
// waits between requests) and is handed from one to the other when
// persistent connections are on.
//
// The user learns of the connection once it can carry HTTP: after the TCP
// connect, the tunnel and the TLS handshake. Receive and Send carry
// plaintext; what the TLS layer decrypted is offered to the user until it
// has taken all of it, since no readiness event would announce it.
#pragma once

#include "net/TlsContext.h"
#include "net/WSocket.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vorlin {

class THttpConnection;
class TTlsLayer;

// The events of a connection, for its current user.
class IHttpConnectionUser {
public:
    virtual void ConnectionDnsLookupDone(THttpConnection& connection, uint16_t error) = 0;
    // The connection carries HTTP now (error 0), or could not be made.
    virtual void ConnectionConnected(THttpConnection& connection, uint16_t error) = 0;
    virtual void ConnectionDataAvailable(THttpConnection& connection, uint16_t error) = 0;
    virtual void ConnectionClosed(THttpConnection& connection, uint16_t error) = 0;

protected:
    ~IHttpConnectionUser() = default;
};

// What a connection is made for, beyond the address and port it connects to.
struct TConnectionTarget {
    bool Secure = false;      // TLS with the server
    std::string Host;         // the server's host: its TLS name and the tunnel's end
    std::string Port;         // the server's port
    TTlsOptions Tls;
    bool Tunnel = false;       // a CONNECT through the proxy first
    std::string TunnelHeaders;  // further lines of the CONNECT request, each ending in CR LF
};

enum class TConnectionState : uint8_t { csClosed, csConnecting, csTunnelling, csHandshaking, csOpen };

const char* ConnectionStateName(TConnectionState state);

class THttpConnection {
public:
    // How much of a proxy's answer to CONNECT is read before it counts as broken.
    static constexpr size_t kMaxTunnelReply = 16384;

    THttpConnection();
    ~THttpConnection();
    THttpConnection(const THttpConnection&) = delete;
    THttpConnection& operator=(const THttpConnection&) = delete;

    void SetUser(IHttpConnectionUser* user) { FUser = user; }
    IHttpConnectionUser* User() const { return FUser; }
    TWSocket& Socket() { return FSocket; }
    TConnectionState State() const { return FState; }
    // Ready to carry a request: open, and its socket connected.
    bool IsOpen() const;
    bool Secure() const { return FTarget.Secure; }
    const TTlsLayer* Tls() const { return FTls.get(); }
    // Why the connection could not be made or broke below HTTP (TLS, the
    // tunnel), naming the host; empty when it didn't.
    const std::string& FailureText() const { return FFailureText; }
    int FailureCode() const { return FFailureCode; }

    void DnsLookup(const std::string& host) { FSocket.DnsLookup(host); }
    void CancelDnsLookup() { FSocket.CancelDnsLookup(); }
    // Connects the socket (raising as its Connect does); ConnectionConnected
    // follows once the tunnel and the handshake are done.
    void Connect(const std::string& addr, const std::string& port, const TConnectionTarget& target);
    int Send(const void* data, int len);
    // As the socket's: a count, 0 at the end of the stream, -1 with
    // LastError() (10035 when nothing is there now).
    int Receive(void* buffer, int len);
    int LastError() const;
    // Close sends close_notify first on a TLS connection; Abort does not.
    void Close();
    void Abort();
    // Nothing has arrived on the connection while it was not in use (the
    // server has not closed it meanwhile, as far as can be seen at once).
    bool LooksIdle() const;

    // Kept for the pool: the connection's key, when it was laid aside, and
    // how many requests it has carried.
    std::string Key;
    uint32_t IdleSince = 0;
    int Requests = 0;

private:
    void SetState(TConnectionState state);
    void SocketConnected(uint16_t error);
    void SocketDataAvailable(uint16_t error);
    void SocketClosed(uint16_t error);
    void SendTunnelRequest();
    void ReadTunnelReply();
    void BeginHandshake(const char* early, size_t earlyLen);
    void ContinueHandshake();
    // Reports a connection that could not be made, then closes the socket.
    void FailSetup(int code, const std::string& text);
    int ReadCiphertext();
    void DeliverPlaintext();
    void FlushCiphertext();
    void DropData();

    TWSocket FSocket;
    IHttpConnectionUser* FUser = nullptr;
    TConnectionState FState = TConnectionState::csClosed;
    TConnectionTarget FTarget;
    std::unique_ptr<TTlsLayer> FTls;
    std::string FTunnelReply;
    std::string FCipherOut;     // ciphertext on its way to the socket
    std::vector<char> FCipherIn;  // one read of ciphertext
    uint64_t FPlainTaken = 0;   // plaintext bytes the users have read
    int FLastError = 0;
    int FFailureCode = 0;
    std::string FFailureText;
    bool FClosedByUs = false;
    bool FHoldOutput = false;  // ciphertext waits to go out with what follows
};

} // namespace vorlin
