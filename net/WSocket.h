// TWSocket: an event-driven TCP client socket. The caller sets Addr, Port
// and Proto and calls Connect; the connection, arriving data, free send
// space and the close are reported through events that the owning thread's
// message loop delivers (one hidden target per socket). It adds an
// asynchronous host name lookup and an unbounded send buffer, so Send never
// blocks.
#pragma once

#include "net/SendBuffer.h"
#include "net/SocketErrors.h"
#include "platform/MessageTarget.h"
#include "platform/Resolver.h"

#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <string>
#include <vector>

#include <sys/socket.h>

namespace vorlin {

enum class TSocketState : uint8_t {
    wsInvalidState = 0,
    wsOpened = 1,
    wsBound = 2,
    wsConnecting = 3,
    wsConnected = 4,
    wsAccepting = 5,
    wsListening = 6,
    wsClosed = 7,
};

enum class TSocketLingerOnOff : uint8_t { wsLingerOff = 0, wsLingerOn = 1, wsLingerNoSet = 2 };

const char* SocketStateName(TSocketState state);

// Synchronous resolution; every failure raises ESocketException.
sockaddr_storage WSocketResolveHost(const std::string& host, socklen_t& length);
uint16_t WSocketResolvePort(const std::string& port, const std::string& proto);
int WSocketResolveProto(const std::string& proto);
// A text of digits and dots only (what DnsLookup converts without asking).
bool WSocketIsDottedIP(const std::string& text);

class TWSocket {
public:
    using TErrorEvent = std::function<void(TWSocket& sender, uint16_t error)>;
    using TChangeStateEvent = std::function<void(TWSocket& sender, TSocketState oldState, TSocketState newState)>;
    using TNotifyEvent = std::function<void(TWSocket& sender)>;
    using TBgExceptionEvent = std::function<void(TWSocket& sender, const std::exception& e, bool& canClose)>;

    TWSocket();
    virtual ~TWSocket();
    TWSocket(const TWSocket&) = delete;
    TWSocket& operator=(const TWSocket&) = delete;

    // Events (each optional).
    TErrorEvent OnDnsLookupDone;
    TErrorEvent OnSessionConnected;
    TErrorEvent OnDataAvailable;
    TErrorEvent OnDataSent;
    TErrorEvent OnSessionClosed;
    TChangeStateEvent OnChangeState;
    TNotifyEvent OnError;  // when set, replaces raising ESocketException
    TBgExceptionEvent OnBgException;

    // Properties.
    const std::string& Addr() const { return FAddr; }
    void SetAddr(const std::string& addr);
    const std::string& Port() const { return FPort; }
    void SetPort(const std::string& port);
    const std::string& Proto() const { return FProto; }
    void SetProto(const std::string& proto);
    std::string LocalAddr = "0.0.0.0";
    std::string LocalPort = "0";
    std::string PeerAddr() const;
    std::string PeerPort() const;
    const std::string& DnsResult() const { return FDnsResult; }
    const std::vector<std::string>& DnsResultList() const { return FDnsResultList; }
    TSocketState State() const { return FState; }
    int64_t ReadCount() const { return FReadCount; }
    int RcvdCount() const;
    int LastError() const { return FLastError; }
    bool MultiThreaded = false;
    TSocketLingerOnOff LingerOnOff = TSocketLingerOnOff::wsLingerOn;
    int LingerTimeout = 0;
    int Handle() const { return FHSocket; }

    // Operations.
    void DnsLookup(const std::string& host);
    void CancelDnsLookup();
    void Connect();
    int Send(const void* data, int len);
    int Receive(void* buffer, int len);
    void Close();
    void Abort();

    // Bytes waiting in the send buffer (not yet accepted by the network).
    int64_t BufferedBytes() const;

    // While reading is held, arriving data and the peer's close stay in the
    // system's buffers (so the sender is slowed down by TCP itself) and are
    // reported once it is released, through the loop. A receive handler may
    // hold reading from inside; the receive loop ends then.
    void SetReadHeld(bool held);
    bool ReadHeld() const { return FReadHeld; }

private:
    void WndProc(TMsg& msg);
    void HandleSelect(int fd, uint32_t events, uint16_t error);
    void HandleLookupReply(TMsg& msg);
    // A host that is an address already: the lookup is done at once.
    void AnswerAddress(const char* address);
    void DoConnectDone(uint16_t error);
    // closeFollows: the close notification comes in the same turn and drains the rest.
    void ASyncReceive(uint16_t error, bool closeFollows = false);
    void DoWrite(uint16_t error);
    void DoClose(uint16_t error);
    void TryToSend();
    void DeleteBufferedData();
    void InternalClose(bool shutdownFirst, uint16_t error);
    void FireSessionClosed(uint16_t error);
    void AssignDefaultValue();
    void SetState(TSocketState state);
    void SocketError(const std::string& function, int code);
    void RaiseException(const std::string& message);
    void ApplyLinger(bool on, int timeout);
    bool ClosedForChange(const char* what);
    bool PeerName(sockaddr_storage& peer) const;

    TMessageTarget FWindow;
    int FHSocket = -1;
    bool FPeerClosed = false;  // the close notification came: no shutdown needed
    uint64_t FConnection = 0;  // counts connections, so a handler's reconnect ends the dispatch
    TLookupHandle FDnsLookupHandle = 0;
    std::string FAddr, FPort, FProto = "tcp";
    bool FAddrAssigned = false, FPortAssigned = false, FProtoAssigned = false;
    std::string FDnsResult;
    std::vector<std::string> FDnsResultList;
    TSocketState FState = TSocketState::wsClosed;
    int64_t FReadCount = 0;
    int FLastError = 0;
    std::deque<TBuffer> FBufList;
    bool FAllSent = true;
    bool FCloseInvoked = false;
    bool FDestroying = false;
    // What the last Receive found: it tells the receive loop whether asking
    // for pending bytes can be skipped.
    enum class TLastRead : uint8_t { lrNone, lrPartial, lrFilled, lrEnded };
    TLastRead FLastRead = TLastRead::lrNone;
    bool FReadHeld = false;
    uint32_t FHeldEvents = 0;  // FD_READ and FD_CLOSE that came while held
    uint16_t FHeldCloseError = 0;
};

} // namespace vorlin
