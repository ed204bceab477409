#include "net/HttpConnection.h"

#include "net/TlsLayer.h"
#include "net/TransportErrors.h"

#include <cstdio>
#include <cstring>

#include <poll.h>

namespace vorlin {

namespace {

constexpr size_t kCiphertextRead = 32768;

// "HTTP/1.1 200 Connection established" -> 200; 0 when it is no status line.
int StatusOfLine(const std::string& line) {
    if (line.compare(0, 5, "HTTP/") != 0) return 0;
    size_t blank = line.find(' ');
    if (blank == std::string::npos || blank + 4 > line.size()) return 0;
    int status = 0;
    for (size_t i = blank + 1; i < blank + 4; ++i) {
        if (line[i] < '0' || line[i] > '9') return 0;
        status = status * 10 + (line[i] - '0');
    }
    return status;
}

} // namespace

const char* ConnectionStateName(TConnectionState state) {
    static const char* const names[] = {"csClosed", "csConnecting", "csTunnelling", "csHandshaking", "csOpen"};
    auto i = static_cast<size_t>(state);
    return i < 5 ? names[i] : "?";
}

THttpConnection::THttpConnection() {
    // Installed once: the connection passes each event on to whoever uses it
    // now, so a change of user inside an event is safe.
    FSocket.OnDnsLookupDone = [this](TWSocket&, uint16_t error) {
        if (FUser) FUser->ConnectionDnsLookupDone(*this, error);
    };
    FSocket.OnSessionConnected = [this](TWSocket&, uint16_t error) { SocketConnected(error); };
    FSocket.OnDataAvailable = [this](TWSocket&, uint16_t error) { SocketDataAvailable(error); };
    FSocket.OnSessionClosed = [this](TWSocket&, uint16_t error) { SocketClosed(error); };
}

THttpConnection::~THttpConnection() {
    // No events from a connection being destroyed.
    FUser = nullptr;
    FSocket.OnSessionClosed = nullptr;
    FSocket.OnDnsLookupDone = nullptr;
}

void THttpConnection::SetState(TConnectionState state) {
    if (state == FState) return;
#ifdef VORLIN_TRACE_STATES
    std::fprintf(stderr, "THttpConnection %p: %s -> %s\n", static_cast<void*>(this), ConnectionStateName(FState),
                 ConnectionStateName(state));
#endif
    FState = state;
}

bool THttpConnection::IsOpen() const {
    return FState == TConnectionState::csOpen && FSocket.State() == TSocketState::wsConnected &&
           !(FTls && FTls->Failed());
}

// --- connecting ------------------------------------------------------------------

void THttpConnection::Connect(const std::string& addr, const std::string& port, const TConnectionTarget& target) {
    FTarget = target;
    FTls.reset();
    FTunnelReply.clear();
    FCipherOut.clear();
    FFailureCode = 0;
    FFailureText.clear();
    FClosedByUs = false;
    FLastError = 0;
    Requests = 0;
    FSocket.SetAddr(addr);
    FSocket.SetPort(port);
    FSocket.SetProto("tcp");
    FSocket.Connect();
    SetState(TConnectionState::csConnecting);
}

void THttpConnection::SocketConnected(uint16_t error) {
    if (error != 0) {
        SetState(TConnectionState::csClosed);
        if (FUser) FUser->ConnectionConnected(*this, error);
        return;
    }
    if (FTarget.Tunnel) {
        SetState(TConnectionState::csTunnelling);
        SendTunnelRequest();
    } else if (FTarget.Secure) {
        BeginHandshake(nullptr, 0);
    } else {
        SetState(TConnectionState::csOpen);
        if (FUser) FUser->ConnectionConnected(*this, 0);
    }
}

void THttpConnection::FailSetup(int code, const std::string& text) {
    FFailureCode = code;
    FFailureText = text;
    SetState(TConnectionState::csClosed);
    FClosedByUs = true;
    if (FUser) FUser->ConnectionConnected(*this, static_cast<uint16_t>(code));
    if (FSocket.State() != TSocketState::wsClosed) FSocket.Close();
}

void THttpConnection::SendTunnelRequest() {
    const std::string authority = FTarget.Host + ":" + FTarget.Port;
    const std::string request =
        "CONNECT " + authority + " HTTP/1.1\r\nHost: " + authority + "\r\n" + FTarget.TunnelHeaders + "\r\n";
    FSocket.Send(request.data(), static_cast<int>(request.size()));
}

void THttpConnection::ReadTunnelReply() {
    char buffer[4096];
    int n = FSocket.Receive(buffer, sizeof buffer);
    if (n <= 0) return;  // nothing now, or the end: the close follows
    FTunnelReply.append(buffer, static_cast<size_t>(n));
    size_t end = FTunnelReply.find("\r\n\r\n");
    size_t endLen = 4;
    if (end == std::string::npos) {
        end = FTunnelReply.find("\n\n");
        endLen = 2;
    }
    if (end == std::string::npos) {
        if (FTunnelReply.size() > kMaxTunnelReply)
            FailSetup(ERROR_HTTP_INVALID_SERVER_RESPONSE,
                      "the proxy's answer to CONNECT " + FTarget.Host + ":" + FTarget.Port + " is too long");
        return;
    }
    std::string statusLine = FTunnelReply.substr(0, FTunnelReply.find_first_of("\r\n"));
    int status = StatusOfLine(statusLine);
    if (status < 200 || status > 299) {
        FailSetup(ERROR_INTERNET_CANNOT_CONNECT, "the proxy refused the tunnel to " + FTarget.Host + ":" +
                                                     FTarget.Port + " (" + statusLine + ")");
        return;
    }
    std::string rest = FTunnelReply.substr(end + endLen);
    FTunnelReply.clear();
    if (FTarget.Secure) {
        BeginHandshake(rest.data(), rest.size());
    } else {
        SetState(TConnectionState::csOpen);
        if (FUser) FUser->ConnectionConnected(*this, 0);
    }
}

void THttpConnection::BeginHandshake(const char* early, size_t earlyLen) {
    try {
        FTls = std::make_unique<TTlsLayer>(TTlsContext::For(FTarget.Tls), FTarget.Host,
                                           FTarget.Host + ":" + FTarget.Port);
    } catch (const std::exception& e) {
        FailSetup(ERROR_INTERNET_SECURITY_CHANNEL_ERROR, std::string("TLS: ") + e.what());
        return;
    }
    SetState(TConnectionState::csHandshaking);
    if (earlyLen > 0) FTls->Feed(early, earlyLen);
    ContinueHandshake();
}

void THttpConnection::ContinueHandshake() {
    TTlsLayer::TStep step = FTls->Handshake();
    if (step != TTlsLayer::TStep::tsDone) FlushCiphertext();
    if (step == TTlsLayer::TStep::tsWantMore) return;
    if (step == TTlsLayer::TStep::tsFailed) {
        FailSetup(FTls->FailureCode(), FTls->FailureText());
        return;
    }
    SetState(TConnectionState::csOpen);
    // The last handshake message and the request the user sends now leave
    // in one write: two small writes would wait for each other's
    // acknowledgement (Nagle), a round trip per connection.
    FHoldOutput = true;
    if (FUser) FUser->ConnectionConnected(*this, 0);
    FHoldOutput = false;
    FlushCiphertext();
}

// --- data ---------------------------------------------------------------------------

void THttpConnection::SocketDataAvailable(uint16_t error) {
    switch (FState) {
    case TConnectionState::csOpen:
        if (!FTls) {
            if (FUser)
                FUser->ConnectionDataAvailable(*this, error);
            else
                DropData();
            return;
        }
        ReadCiphertext();
        DeliverPlaintext();
        return;
    case TConnectionState::csTunnelling:
        ReadTunnelReply();
        return;
    case TConnectionState::csHandshaking:
        if (ReadCiphertext() > 0) ContinueHandshake();
        return;
    default:
        DropData();
        return;
    }
}

int THttpConnection::ReadCiphertext() {
    if (FCipherIn.empty()) FCipherIn.resize(kCiphertextRead);
    int n = FSocket.Receive(FCipherIn.data(), static_cast<int>(FCipherIn.size()));
    if (n > 0) FTls->Feed(FCipherIn.data(), static_cast<size_t>(n));
    return n;
}

// Offers the decrypted data to the user until it has read all of it (or
// reads nothing more: a partial record waits for the rest).
void THttpConnection::DeliverPlaintext() {
    while (FState == TConnectionState::csOpen && FTls && FTls->HasPending()) {
        IHttpConnectionUser* user = FUser;
        if (!user) {
            DropData();
            break;
        }
        const uint64_t before = FPlainTaken;
        user->ConnectionDataAvailable(*this, 0);
        if (FPlainTaken == before) break;
    }
    if (FState == TConnectionState::csOpen && FTls) FlushCiphertext();
    if (FState == TConnectionState::csOpen && FTls && FTls->Failed()) {
        FFailureCode = FTls->FailureCode();
        FFailureText = FTls->FailureText();
        FSocket.Close();  // the close event carries no error: SocketClosed adds it
    }
}

void THttpConnection::FlushCiphertext() {
    if (FHoldOutput) return;
    FCipherOut.clear();
    if (!FTls || !FTls->TakeOutput(FCipherOut)) return;
    if (FSocket.State() == TSocketState::wsConnected)
        FSocket.Send(FCipherOut.data(), static_cast<int>(FCipherOut.size()));
    FCipherOut.clear();
}

// Reads what arrived and forgets it, so that the socket's receive loop ends.
void THttpConnection::DropData() {
    char scratch[4096];
    if (FTls && FState == TConnectionState::csOpen) {
        ReadCiphertext();
        while (FTls->Read(scratch, sizeof scratch) > 0) {
        }
        return;
    }
    FSocket.Receive(scratch, sizeof scratch);
}

int THttpConnection::Send(const void* data, int len) {
    if (!FTls) return FSocket.Send(data, len);
    if (len <= 0) return 0;
    if (!FTls->Write(static_cast<const char*>(data), static_cast<size_t>(len))) {
        FLastError = FTls->FailureCode();
        return -1;
    }
    FlushCiphertext();
    return len;
}

int THttpConnection::Receive(void* buffer, int len) {
    if (!FTls) return FSocket.Receive(buffer, len);
    int n = FTls->Read(static_cast<char*>(buffer), len);
    if (n > 0) {
        FPlainTaken += static_cast<uint64_t>(n);
        FLastError = 0;
        return n;
    }
    if (n == 0) return 0;
    FLastError = FTls->Failed() ? FTls->FailureCode() : WSAEWOULDBLOCK;
    return -1;
}

int THttpConnection::LastError() const { return FTls ? FLastError : FSocket.LastError(); }

// --- closing -------------------------------------------------------------------------

void THttpConnection::SocketClosed(uint16_t error) {
    const TConnectionState was = FState;
    SetState(TConnectionState::csClosed);
    uint16_t code = error;
    if ((was == TConnectionState::csTunnelling || was == TConnectionState::csHandshaking) && !FClosedByUs) {
        // The peer went away before the connection could carry HTTP.
        if (FFailureText.empty()) {
            const bool tls = was == TConnectionState::csHandshaking;
            FFailureCode = error != 0 ? error : tls ? ERROR_INTERNET_SECURITY_CHANNEL_ERROR : ERROR_INTERNET_CANNOT_CONNECT;
            FFailureText = tls ? "TLS: " + FTarget.Host + " closed the connection during the handshake"
                               : "the proxy closed the connection before the tunnel to " + FTarget.Host + " was up";
        }
        if (FUser) FUser->ConnectionConnected(*this, static_cast<uint16_t>(FFailureCode));
    } else if (was == TConnectionState::csOpen && FTls && code == 0) {
        if (FFailureCode != 0) {
            code = static_cast<uint16_t>(FFailureCode);
        } else if (!FClosedByUs && !FTls->CloseNotifyReceived()) {
            // The end of a TLS stream is its close_notify: without it the
            // data may have been cut short by anyone on the way.
            FFailureCode = ERROR_INTERNET_CONNECTION_ABORTED;
            FFailureText = "TLS: the stream from " + FTarget.Host + " ended without close_notify";
            code = static_cast<uint16_t>(FFailureCode);
        }
    }
    if (FUser) FUser->ConnectionClosed(*this, code);
}

void THttpConnection::Close() {
    FClosedByUs = true;
    if (FTls && FState == TConnectionState::csOpen && FSocket.State() == TSocketState::wsConnected) {
        FTls->Shutdown();
        FlushCiphertext();
    }
    FSocket.Close();
}

void THttpConnection::Abort() {
    FClosedByUs = true;
    FSocket.Abort();
}

bool THttpConnection::LooksIdle() const {
    if (!IsOpen()) return false;
    if (FTls && FTls->HasPending()) return false;
    pollfd p{FSocket.Handle(), POLLIN | POLLRDHUP, 0};
    int n = poll(&p, 1, 0);
    return n == 0;
}

} // namespace vorlin
