#include "net/WSocket.h"

#include "platform/DebugLog.h"
#include "platform/MessageQueue.h"
#include "platform/StringUtils.h"

#include <cerrno>
#include <cstring>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace vorlin {

namespace {

// The socket's own messages, on its own target.
constexpr uint32_t WM_ASYNCSELECT = WM_USER + 1;
constexpr uint32_t WM_ASYNCGETHOSTBYNAME = WM_USER + 2;

// The one place where errno of a socket call becomes a Windows Sockets code.
int LastSocketError() { return WinsockErrorFromErrno(errno); }

bool IsGoneError(int code) {
    return code == WSAEINVAL || code == WSAENOTSOCK || code == WSAECONNABORTED || code == WSAECONNRESET ||
           code == WSAENOTCONN;
}

std::string AddressText(const sockaddr_storage& a) {
    char text[INET6_ADDRSTRLEN] = {};
    if (a.ss_family == AF_INET)
        inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in&>(a).sin_addr, text, sizeof text);
    else if (a.ss_family == AF_INET6)
        inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6&>(a).sin6_addr, text, sizeof text);
    return text;
}

void SetPortOf(sockaddr_storage& a, uint16_t port) {
    if (a.ss_family == AF_INET6)
        reinterpret_cast<sockaddr_in6&>(a).sin6_port = htons(port);
    else
        reinterpret_cast<sockaddr_in&>(a).sin_port = htons(port);
}

int LeadingNumber(const std::string& s) {
    int64_t v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') break;
        v = v * 10 + (c - '0');
        if (v > 0xFFFFFF) break;
    }
    return static_cast<int>(v);
}

} // namespace

const char* SocketStateName(TSocketState state) {
    static const char* const names[] = {"wsInvalidState", "wsOpened",    "wsBound",     "wsConnecting",
                                        "wsConnected",    "wsAccepting", "wsListening", "wsClosed"};
    auto i = static_cast<size_t>(state);
    return i < 8 ? names[i] : "?";
}

bool WSocketIsDottedIP(const std::string& text) {
    if (text.empty()) return false;
    for (char c : text)
        if (c != '.' && (c < '0' || c > '9')) return false;
    return true;
}

sockaddr_storage WSocketResolveHost(const std::string& hostIn, socklen_t& length) {
    if (hostIn.empty() || hostIn.size() > 256)
        throw ESocketException("WSocketResolveHost: '" + hostIn + "' Invalid Hostname.");
    std::string host = Trim(hostIn);
    sockaddr_storage a{};
    if (WSocketIsDottedIP(host)) {
        auto& in = reinterpret_cast<sockaddr_in&>(a);
        in.sin_family = AF_INET;
        // inet_aton takes the short forms ("127.1") as inet_addr does, and
        // also "255.255.255.255", which inet_addr cannot tell from an error.
        if (inet_aton(host.c_str(), &in.sin_addr) == 0)
            throw ESocketException("WSocketResolveHost: '" + host + "' Invalid IP address.");
        length = sizeof(sockaddr_in);
        return a;
    }
    auto& in6 = reinterpret_cast<sockaddr_in6&>(a);
    if (host.size() > 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
    if (host.find(':') != std::string::npos && inet_pton(AF_INET6, host.c_str(), &in6.sin6_addr) == 1) {
        in6.sin6_family = AF_INET6;
        length = sizeof(sockaddr_in6);
        return a;
    }
    std::vector<std::string> addresses;
    int error = LookupHost(host, addresses);
    if (error != 0 || addresses.empty())
        throw ESocketException(Format("WSocketResolveHost: Cannot convert host address '%s', Error #%d", host,
                                      error ? error : WSANO_DATA));
    return WSocketResolveHost(addresses.front(), length);
}

uint16_t WSocketResolvePort(const std::string& port, const std::string& proto) {
    if (port.empty() || port.size() >= 32) throw ESocketException("WSocketResolvePort: Invalid Port.");
    if (port[0] >= '0' && port[0] <= '9') return static_cast<uint16_t>(LeadingNumber(port));
    servent entry{};
    servent* found = nullptr;
    char buf[1024];
    getservbyname_r(port.c_str(), proto.c_str(), &entry, buf, sizeof buf, &found);
    if (!found)
        throw ESocketException(Format("WSocketResolvePort: Cannot convert port '%s', Error #%d", port, WSANO_DATA));
    return ntohs(static_cast<uint16_t>(found->s_port));
}

int WSocketResolveProto(const std::string& protoIn) {
    if (protoIn.empty() || protoIn.size() >= 32) throw ESocketException("WSocketResolveProto: Invalid Protocol.");
    std::string proto = Trim(protoIn);
    if (!proto.empty() && proto[0] >= '0' && proto[0] <= '9') return LeadingNumber(proto);
    // Every connect resolves its protocol; the common ones need no file read.
    if (SameText(proto, "tcp")) return IPPROTO_TCP;
    if (SameText(proto, "udp")) return IPPROTO_UDP;
    protoent entry{};
    protoent* found = nullptr;
    char buf[1024];
    getprotobyname_r(proto.c_str(), &entry, buf, sizeof buf, &found);
    if (found) return found->p_proto;
    throw ESocketException(Format("WSocketResolveProto: Cannot convert protocol '%s', Error #%d", proto, WSANO_DATA));
}

// ---------------------------------------------------------------------------

TWSocket::TWSocket() {
    FWindow.SetHandler([this](TMsg& msg) -> intptr_t {
        WndProc(msg);
        return 0;
    });
    AssignDefaultValue();
}

TWSocket::~TWSocket() {
    FDestroying = true;
    try {
        CancelDnsLookup();
        InternalClose(false, 0);
    } catch (const std::exception& e) {
        DebugLogReport("TWSocket destructor:", e.what());
    }
}

// Address, port and protocol may change only while the socket is closed.
bool TWSocket::ClosedForChange(const char* what) {
    if (FState == TSocketState::wsClosed) return true;
    RaiseException(std::string("Cannot change ") + what + " if not closed");
    return false;
}

void TWSocket::SetAddr(const std::string& addr) {
    if (!ClosedForChange("Addr")) return;
    FAddr = Trim(addr);
    FAddrAssigned = true;
}

void TWSocket::SetPort(const std::string& port) {
    if (!ClosedForChange("Port")) return;
    FPort = Trim(port);
    FPortAssigned = true;
}

void TWSocket::SetProto(const std::string& proto) {
    if (!ClosedForChange("Proto")) return;
    FProto = proto;
    FProtoAssigned = true;
}

bool TWSocket::PeerName(sockaddr_storage& peer) const {
    socklen_t len = sizeof peer;
    return FHSocket >= 0 && FState == TSocketState::wsConnected &&
           getpeername(FHSocket, reinterpret_cast<sockaddr*>(&peer), &len) == 0;
}

std::string TWSocket::PeerAddr() const {
    sockaddr_storage a{};
    return PeerName(a) ? AddressText(a) : "error";
}

std::string TWSocket::PeerPort() const {
    sockaddr_storage a{};
    if (!PeerName(a)) return "error";
    uint16_t port = a.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6&>(a).sin6_port
                                             : reinterpret_cast<sockaddr_in&>(a).sin_port;
    return std::to_string(ntohs(port));
}

int TWSocket::RcvdCount() const {
    if (FHSocket < 0) return 0;
    int pending = 0;
    if (ioctl(FHSocket, FIONREAD, &pending) != 0) return -1;
    return pending;
}

int64_t TWSocket::BufferedBytes() const {
    int64_t total = 0;
    for (const TBuffer& b : FBufList) {
        int len;
        b.Peek(len);
        total += len;
    }
    return total;
}

void TWSocket::SetState(TSocketState state) {
    TSocketState old = FState;
    FState = state;
    if (OnChangeState) OnChangeState(*this, old, state);
}

void TWSocket::RaiseException(const std::string& message) {
    if (OnError)
        OnError(*this);
    else
        throw ESocketException(message);
}

void TWSocket::SocketError(const std::string& function, int code) {
    std::string text = "Error " + std::to_string(code) + " in function " + function + "\r\n" + WSocketErrorDesc(code);
    if (code == WSAECONNRESET || code == WSAENOTCONN) {
        if (FHSocket >= 0) {
            AsyncSelect(FHSocket, FWindow.Handle(), WM_ASYNCSELECT, 0);
            close(FHSocket);
        }
        FHSocket = -1;
        FState = TSocketState::wsClosed;
    }
    FLastError = code;
    RaiseException(text);
}

void TWSocket::AssignDefaultValue() {
    FProto = "tcp";
    LocalPort = "0";
    LocalAddr = "0.0.0.0";
    LingerOnOff = TSocketLingerOnOff::wsLingerOn;
    LingerTimeout = 0;
    FHSocket = -1;
    FPeerClosed = false;
    FState = TSocketState::wsClosed;
    FAllSent = true;
    FCloseInvoked = false;
    FReadCount = 0;
    FAddrAssigned = FPortAssigned = FProtoAssigned = false;
}

// --- name lookup -----------------------------------------------------------

void TWSocket::DnsLookup(const std::string& hostIn) {
    // A new lookup replaces a running one without reporting it.
    if (FDnsLookupHandle != 0) {
        CancelAsyncLookup(FDnsLookupHandle);
        FDnsLookupHandle = 0;
    }
    FDnsResult.clear();
    FDnsResultList.clear();
    std::string host = Trim(hostIn);
    if (host.empty()) {
        RaiseException("DNS lookup: invalid host name.");
        if (OnDnsLookupDone) OnDnsLookupDone(*this, WSAEINVAL);
        return;
    }
    if (WSocketIsDottedIP(host)) {
        in_addr a{};
        if (inet_aton(host.c_str(), &a) != 0) {
            char text[INET_ADDRSTRLEN] = {};
            AnswerAddress(inet_ntop(AF_INET, &a, text, sizeof text));
            return;
        }
    }
    // An IPv6 literal, as a URL writes it ("[::1]") or bare, needs no lookup either.
    std::string literal = host.size() > 2 && host.front() == '[' && host.back() == ']'
                              ? host.substr(1, host.size() - 2)
                              : host;
    in6_addr a6{};
    if (literal.find(':') != std::string::npos && inet_pton(AF_INET6, literal.c_str(), &a6) == 1) {
        char text[INET6_ADDRSTRLEN] = {};
        AnswerAddress(inet_ntop(AF_INET6, &a6, text, sizeof text));
        return;
    }
    FDnsLookupHandle = StartAsyncLookup(host, FWindow.Handle(), WM_ASYNCGETHOSTBYNAME);
    if (FDnsLookupHandle == 0) {
        FLastError = WSAENOBUFS;
        RaiseException(Format("%s: can't start DNS lookup, error #%d", host, FLastError));
    }
}

void TWSocket::AnswerAddress(const char* address) {
    FDnsResult = address;
    FDnsResultList.push_back(FDnsResult);
    if (OnDnsLookupDone) OnDnsLookupDone(*this, 0);
}

void TWSocket::CancelDnsLookup() {
    if (FDnsLookupHandle == 0) return;
    // A reply already on its way is recognised as stale by its handle.
    CancelAsyncLookup(FDnsLookupHandle);
    FDnsLookupHandle = 0;
    if (!FDestroying && OnDnsLookupDone) OnDnsLookupDone(*this, WSAEINTR);
}

void TWSocket::HandleLookupReply(TMsg& msg) {
    if (FDnsLookupHandle == 0 || msg.WParam != FDnsLookupHandle) return;
    FDnsLookupHandle = 0;
    int error = static_cast<int>(msg.LParam);
    if (error == 0) {
        FDnsResultList = msg.TakePayload<std::vector<std::string>>();
        if (!FDnsResultList.empty()) FDnsResult = FDnsResultList.front();
    }
    if (OnDnsLookupDone) OnDnsLookupDone(*this, static_cast<uint16_t>(error));
}

// --- connecting ------------------------------------------------------------

void TWSocket::ApplyLinger(bool on, int timeout) {
    linger l{on ? 1 : 0, timeout};
    setsockopt(FHSocket, SOL_SOCKET, SO_LINGER, &l, sizeof l);
}

void TWSocket::Connect() {
    if (FHSocket >= 0 && FState != TSocketState::wsClosed) {
        RaiseException("Connect: Socket already in use");
        return;
    }
    if (!FPortAssigned) {
        RaiseException("Connect: No Port Specified");
        return;
    }
    if (!FAddrAssigned) {
        RaiseException("Connect: No IP Address Specified");
        return;
    }
    if (!FProtoAssigned) {
        RaiseException("Connect: No Protocol Specified");
        return;
    }
    sockaddr_storage remote{}, local{};
    socklen_t remoteLen = 0, localLen = 0;
    uint16_t localPort = 0;
    try {
        int proto = WSocketResolveProto(FProto);
        if (proto != IPPROTO_TCP) throw ESocketException("WSocketResolveProto: only tcp is supported");
        uint16_t port = WSocketResolvePort(FPort, FProto);
        localPort = WSocketResolvePort(LocalPort, FProto);
        remote = WSocketResolveHost(FAddr, remoteLen);
        SetPortOf(remote, port);
        local = WSocketResolveHost(LocalAddr, localLen);
        SetPortOf(local, localPort);
    } catch (const ESocketException& e) {
        RaiseException("connect: " + e.Message());
        return;
    }
    DeleteBufferedData();
    FHSocket = socket(remote.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP);
    if (FHSocket < 0) {
        SocketError("Connect (socket)", LastSocketError());
        return;
    }
    ++FConnection;
    SetState(TSocketState::wsOpened);
    bool bindLocal = LocalPort != "0" || LocalAddr != "0.0.0.0";
    if (bindLocal && local.ss_family == remote.ss_family &&
        bind(FHSocket, reinterpret_cast<sockaddr*>(&local), localLen) != 0) {
        SocketError("Connect (bind)", LastSocketError());
        return;
    }
    if (LingerOnOff != TSocketLingerOnOff::wsLingerNoSet)
        ApplyLinger(LingerOnOff == TSocketLingerOnOff::wsLingerOn, LingerTimeout);
    int one = 1;
    if (setsockopt(FHSocket, SOL_SOCKET, SO_KEEPALIVE, &one, sizeof one) != 0) {
        SocketError("setsockopt(SO_KEEPALIVE)", LastSocketError());
        return;
    }
    if (setsockopt(FHSocket, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one) != 0) {
        SocketError("setsockopt(SO_REUSEADDR)", LastSocketError());
        return;
    }
    if (!AsyncSelect(FHSocket, FWindow.Handle(), WM_ASYNCSELECT, FD_READ | FD_WRITE | FD_CLOSE | FD_CONNECT)) {
        SocketError("WSAAsyncSelect", WSAEINVAL);
        return;
    }
    int rc;
    do rc = connect(FHSocket, reinterpret_cast<sockaddr*>(&remote), remoteLen);
    while (rc != 0 && errno == EINTR);
    int error = rc == 0 ? 0 : LastSocketError();
    if (error != 0 && error != WSAEWOULDBLOCK && error != WSAEINPROGRESS) {
        SocketError("Connect", error);
        return;
    }
    SetState(TSocketState::wsConnecting);
}

// --- notifications ---------------------------------------------------------

void TWSocket::WndProc(TMsg& msg) {
    try {
        if (msg.Message == WM_ASYNCSELECT)
            HandleSelect(static_cast<int>(msg.WParam), WSAGetSelectEvent(msg.LParam),
                         static_cast<uint16_t>(WSAGetSelectError(msg.LParam)));
        else if (msg.Message == WM_ASYNCGETHOSTBYNAME)
            HandleLookupReply(msg);
    } catch (const std::exception& e) {
        // An exception escaped from an event handler run by the loop.
        bool canClose = true;
        if (OnBgException) OnBgException(*this, e, canClose);
        if (canClose) Abort();
    }
}

void TWSocket::HandleSelect(int fd, uint32_t events, uint16_t error) {
    if (fd < 0 || fd != FHSocket) return;
    const uint64_t connection = FConnection;
    auto stillOurs = [&] { return FHSocket == fd && FConnection == connection; };
    if (events & FD_CONNECT) {
        DoConnectDone(error);
        if (!stillOurs()) return;
    }
    if (events & FD_READ) {
        if (FReadHeld)
            FHeldEvents |= FD_READ;
        else
            ASyncReceive(error, (events & FD_CLOSE) != 0 && !FReadHeld);
        if (!stillOurs()) return;
    }
    if (events & FD_WRITE) {
        DoWrite(error);
        if (!stillOurs()) return;
    }
    if (events & FD_CLOSE) {
        if (FReadHeld) {
            FHeldEvents |= FD_CLOSE;
            FHeldCloseError = error;
        } else {
            DoClose(error);
        }
    }
}

void TWSocket::SetReadHeld(bool held) {
    if (held == FReadHeld) return;
    FReadHeld = held;
    if (held || FHSocket < 0) return;
    // What came meanwhile (and what a TLS layer may hold decrypted) is
    // offered again on the next pass of the loop.
    const uint32_t events = FD_READ | FHeldEvents;
    const uint16_t error = (FHeldEvents & FD_CLOSE) ? FHeldCloseError : 0;
    FHeldEvents = 0;
    FHeldCloseError = 0;
    PostMessage(FWindow.Handle(), WM_ASYNCSELECT, static_cast<uintptr_t>(FHSocket), WSAMakeSelectReply(events, error));
}

void TWSocket::DoConnectDone(uint16_t error) {
    SetState(TSocketState::wsConnected);
    if (OnSessionConnected) OnSessionConnected(*this, error);
    if (error != 0 && FState != TSocketState::wsClosed) Close();
}

void TWSocket::ASyncReceive(uint16_t error, bool closeFollows) {
    const int fd = FHSocket;
    for (;;) {
        FLastError = 0;
        FLastRead = TLastRead::lrNone;
        try {
            if (OnDataAvailable) {
                OnDataAvailable(*this, error);
            } else {
                char scratch[1024];
                if (Receive(scratch, sizeof scratch) < 0 && FLastError == WSAEWOULDBLOCK) {
                    FLastError = 0;
                    break;
                }
            }
        } catch (const std::exception&) {
            // The data stays pending; the next notification tries again.
            break;
        }
        if (FLastError != 0 || FHSocket != fd || fd < 0 || FReadHeld) break;
        // A read that filled its buffer leaves more waiting as a rule: go on
        // without asking (a read that then finds nothing would block and ends
        // the loop). A read that got less than it asked for has taken all
        // there was; what arrives after it is reported anew, as the receive
        // re-armed the notification. The end of the stream leaves nothing;
        // when the close notification follows in the same turn, its drain
        // reads the rest. Otherwise ask how much is pending.
        if (FLastRead == TLastRead::lrFilled) continue;
        if (FLastRead == TLastRead::lrPartial || FLastRead == TLastRead::lrEnded || closeFollows) break;
        if (RcvdCount() <= 0) break;
    }
}

void TWSocket::DoWrite(uint16_t error) {
    TryToSend();
    if (FAllSent && OnDataSent) OnDataSent(*this, error);
}

void TWSocket::DoClose(uint16_t error) {
    // While connecting, the connect notification carries the outcome.
    if (FState == TSocketState::wsConnecting) return;
    const int fd = FHSocket;
    FPeerClosed = true;
    ASyncReceive(0);
    if (FHSocket != fd) return;
    if (FReadHeld) {
        // The rest is read once reading is released; the close follows it.
        FHeldEvents |= FD_CLOSE;
        FHeldCloseError = error;
        return;
    }
    FireSessionClosed(error);
    if (FState != TSocketState::wsClosed) Close();
}

void TWSocket::FireSessionClosed(uint16_t error) {
    if (FCloseInvoked) return;
    FCloseInvoked = true;
    if (OnSessionClosed) OnSessionClosed(*this, error);
}

// --- sending and receiving -------------------------------------------------

void TWSocket::DeleteBufferedData() {
    FBufList.clear();
    FAllSent = true;
}

int TWSocket::Send(const void* data, int len) {
    if (FState != TSocketState::wsConnected) {
        SocketError("Send", WSAENOTCONN);
        return -1;
    }
    if (len <= 0) return 0;
    const char* p = static_cast<const char*>(data);
    int left = len;
    while (left > 0) {
        if (FBufList.empty() || FBufList.back().WrCount() >= FBufList.back().BufSize()) FBufList.emplace_back();
        int n = FBufList.back().Write(p, left);
        p += n;
        left -= n;
    }
    FAllSent = false;
    TryToSend();
    // OnDataSent must never fire inside Send: a write notification to itself
    // makes it arrive through the loop.
    if (FAllSent && FHSocket >= 0)
        PostMessage(FWindow.Handle(), WM_ASYNCSELECT, static_cast<uintptr_t>(FHSocket),
                    WSAMakeSelectReply(FD_WRITE, 0));
    return len;
}

void TWSocket::TryToSend() {
    if (FHSocket < 0) return;
    while (!FBufList.empty()) {
        int len = 0;
        const char* p = FBufList.front().Peek(len);
        if (len <= 0) {
            if (FBufList.size() == 1) {
                FAllSent = true;
                return;
            }
            FBufList.pop_front();
            continue;
        }
        ssize_t n;
        do n = send(FHSocket, p, static_cast<size_t>(len), MSG_NOSIGNAL);
        while (n < 0 && errno == EINTR);
        if (n < 0) {
            int code = LastSocketError();
            if (code == WSAEWOULDBLOCK) {
                ReenableSelectEvent(FHSocket, FD_WRITE);
                return;
            }
            if (IsGoneError(code)) {
                FCloseInvoked = true;
                Close();
                if (OnSessionClosed) OnSessionClosed(*this, static_cast<uint16_t>(code));
                return;
            }
            SocketError("TryToSend failed", code);
            return;
        }
        FBufList.front().Remove(static_cast<int>(n));
        if (n < len) {
            ReenableSelectEvent(FHSocket, FD_WRITE);
            return;
        }
    }
}

int TWSocket::Receive(void* buffer, int len) {
    if (FHSocket < 0) {
        FLastError = WSAENOTSOCK;
        return -1;
    }
    ssize_t n;
    do n = recv(FHSocket, buffer, static_cast<size_t>(len > 0 ? len : 0), 0);
    while (n < 0 && errno == EINTR);
    ReenableSelectEvent(FHSocket, FD_READ);
    FLastRead = n < 0    ? TLastRead::lrNone
                : n == 0 ? TLastRead::lrEnded
                : n == len ? TLastRead::lrFilled
                           : TLastRead::lrPartial;
    if (n < 0) {
        FLastError = LastSocketError();
        return -1;
    }
    FReadCount += n;
    return static_cast<int>(n);
}

// --- closing -----------------------------------------------------------------

void TWSocket::InternalClose(bool shutdownFirst, uint16_t error) {
    if (FHSocket < 0) {
        if (FState != TSocketState::wsClosed) {
            SetState(TSocketState::wsClosed);
            AssignDefaultValue();
        }
        return;
    }
    if (FState == TSocketState::wsClosed) return;
    if (shutdownFirst) shutdown(FHSocket, SHUT_WR);
    // Stop the notifications first; this also drops those still queued, so a
    // descriptor number reused by the next connection gets none of them.
    AsyncSelect(FHSocket, FWindow.Handle(), WM_ASYNCSELECT, 0);
    // On Linux close() never reports "would block" for our non-blocking
    // sockets, so there is no need to pump messages here.
    int rc = close(FHSocket);
    int code = rc == 0 ? 0 : LastSocketError();
    FHSocket = -1;
    FReadHeld = false;
    FHeldEvents = 0;
    if (code != 0 && code != WSAEINTR && code != WSANOTINITIALISED) {
        FState = TSocketState::wsClosed;
        SocketError("Disconnect (closesocket)", code);
        return;
    }
    SetState(TSocketState::wsClosed);
    if (!FDestroying) FireSessionClosed(error);
    try {
        AssignDefaultValue();
    } catch (...) {
    }
}

// Once the peer has closed, shutting our sending side down first adds
// nothing to the close that follows; it only costs a call per connection.
void TWSocket::Close() { InternalClose(!FPeerClosed, 0); }

void TWSocket::Abort() {
    CancelDnsLookup();
    DeleteBufferedData();
    if (FHSocket >= 0 && FState == TSocketState::wsConnected) ApplyLinger(false, 0);
    InternalClose(false, 0);
}

} // namespace vorlin
