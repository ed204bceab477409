#include "net/HttpCli.h"

#include "links/UrlHelpers.h"
#include "net/ConnectionPool.h"
#include "net/TransportErrors.h"
#include "platform/Base64.h"
#include "platform/DebugLog.h"
#include "platform/FileSystem.h"
#include "platform/MessageQueue.h"
#include "platform/StringUtils.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace vorlin {

namespace {

// The component's deferred notifications, on its own target. WParam carries
// the request serial, so a notification of an earlier request is ignored.
constexpr uint32_t WM_HTTP_REQUEST_DONE = WM_USER + 1;
constexpr uint32_t WM_HTTP_SET_READY = WM_USER + 2;
constexpr uint32_t WM_HTTP_RESTART = WM_USER + 3;
constexpr uint32_t WM_HTTP_SEND_KEPT = WM_USER + 4;

const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const char* const kWeekdays[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};

std::string Mid(const std::string& s, size_t from1, size_t count = std::string::npos) {
    if (from1 == 0 || from1 > s.size()) return std::string();
    return s.substr(from1 - 1, count);
}

std::string SocketFailureText(int code) {
    return WSocketErrorDesc(code) + " (Error #" + std::to_string(code) + ")";
}

bool SupportedScheme(const std::string& scheme) { return scheme == "http" || scheme == "https"; }

} // namespace

std::string DefaultPortOf(const std::string& scheme) { return scheme == "https" ? "443" : "80"; }

const char* HttpCliStateName(THttpCliState state) {
    static const char* const names[] = {"hcIdle",     "hcStarting",      "hcConnected",   "hcResolving",
                                        "hcResolved", "hcReadingHeader", "hcReadingBody", "hcAborting"};
    auto i = static_cast<size_t>(state);
    return i < 8 ? names[i] : "?";
}

std::string FormatHttpDate(TDateTime date) {
    TDateParts p = DecodeDateTime(date);
    // Day 2 of the day count (1 January 1900) was a Monday.
    int64_t day = static_cast<int64_t>(date < 0 ? date - 1 : date);  // floor for whole days
    int weekday = static_cast<int>(((day - 2) % 7 + 7) % 7);
    return Format("%s, %2.2d %s %4.4d %2.2d:%2.2d:%2.2d", kWeekdays[weekday], p.Day, kMonths[(p.Month - 1) % 12],
                  p.Year, p.Hour, p.Minute, p.Second);
}

void ReplaceExtension(std::string& name, const std::string& ext) {
    size_t dot = name.rfind('.');
    if (dot == std::string::npos)
        name += "." + ext;
    else
        name = name.substr(0, dot + 1) + ext;
}

// ---------------------------------------------------------------------------

THttpCli::THttpCli() {
    FWindow.SetHandler([this](TMsg& msg) -> intptr_t {
        WndProc(msg);
        return 0;
    });
    // The client's own connection, kept from request to request (unless
    // persistent connections hand it to the pool).
    Connection();
}

THttpCli::~THttpCli() {
    // No events from a component being destroyed.
    if (FConn) FConn->SetUser(nullptr);
}

void THttpCli::SetMultiThreaded(bool value) {
    FMultiThreaded = value;
    if (FConn) FConn->Socket().MultiThreaded = value;
}

TWSocket& THttpCli::Socket() { return Connection().Socket(); }

void THttpCli::SetState(THttpCliState state) {
    if (state == FState) return;
#ifdef VORLIN_TRACE_STATES
    std::fprintf(stderr, "THttpCli %d: %s -> %s\n", Tag, HttpCliStateName(FState), HttpCliStateName(state));
#endif
    FState = state;
    if (OnStateChange) OnStateChange(*this);
    if (state == THttpCliState::hcIdle)
        PostMessage(FWindow.Handle(), WM_HTTP_REQUEST_DONE, static_cast<uintptr_t>(FRequestType),
                    FRequestDoneError);
}

void THttpCli::WndProc(TMsg& msg) {
    switch (msg.Message) {
    case WM_HTTP_REQUEST_DONE:
        if (OnRequestDone)
            OnRequestDone(*this, static_cast<THttpRequest>(msg.WParam), static_cast<uint16_t>(msg.LParam));
        break;
    case WM_HTTP_SET_READY:
        if (static_cast<uint32_t>(msg.WParam) == FSerial) SetState(THttpCliState::hcIdle);
        break;
    case WM_HTTP_RESTART:
        if (static_cast<uint32_t>(msg.WParam) == FSerial && FState != THttpCliState::hcIdle &&
            FState != THttpCliState::hcAborting)
            StartRequest();
        break;
    case WM_HTTP_SEND_KEPT:
        // A kept connection that closed meanwhile reports it itself.
        if (static_cast<uint32_t>(msg.WParam) == FSerial && FState == THttpCliState::hcResolved && FConn &&
            FConn->IsOpen())
            SessionReady();
        break;
    default:
        break;
    }
}

// --- starting ------------------------------------------------------------------

void THttpCli::Get() { DoRequest(THttpRequest::hrGet); }
void THttpCli::Head() { DoRequest(THttpRequest::hrHead); }

void THttpCli::DoRequest(THttpRequest kind) {
    if (FState != THttpCliState::hcIdle) throw EHttpException("HTTP component is busy", 1);
    ForgetReceivedHeader();
    FAuthenticateHeaders.clear();
    FRequestType = kind;
    FRequestDoneError = 0;
    ++FSerial;
    FDoneScheduled = false;
    FFollowOnClose = false;
    FRetriedFresh = false;
    FForceFresh = false;
    SetState(THttpCliState::hcStarting);

    FDocumentName.clear();
    FStatusCode = 0;
    FReasonPhrase.clear();
    FReceivedCount = 0;
    FHeaderLineCount = FBodyLineCount = 0;
    FContentLength = -1;
    FContentType.clear();
    FLocation = URL;
    FLocationChangedFlag = false;

    TURLParts url = SplitURL(URL);
    FScheme = url.Proto.empty() ? std::string("http") : LowerCase(url.Proto);
    FTargetHost = url.Host;
    FTargetPort = url.Port.empty() ? DefaultPortOf(FScheme) : url.Port;
    FDocumentName = url.Path;
    if (!url.User.empty()) Username = url.User;
    if (!url.Password.empty()) Password = url.Password;
    if (Proxy.empty()) {
        FRequestPath = url.Path;
        FConnectHost = url.Host;
        FConnectPort = FTargetPort;
    } else {
        FRequestPath = (url.Proto.empty() ? std::string("http") : url.Proto) + "://" + url.Host +
                       (url.Port.empty() ? std::string() : ":" + url.Port) + url.Path;
        TURLParts proxy = SplitURL(Proxy);
        FConnectHost = proxy.Host;
        FConnectPort = proxy.Port.empty() ? ProxyPort : proxy.Port;
    }
    if (FRequestPath.empty()) FRequestPath = "/";

    if (!FDocumentName.empty() && FDocumentName != "/") {
        if (FDocumentName.back() == '/') FDocumentName.pop_back();
        size_t slash = FDocumentName.rfind('/');
        if (slash != std::string::npos) FDocumentName = FDocumentName.substr(slash + 1);
        if (FDocumentName.size() > 255) FDocumentName.resize(255);
        size_t query = FDocumentName.find('?');
        if (query != std::string::npos) FDocumentName.resize(query);
    } else {
        FDocumentName = "document.htm";
    }
    StartRequest();
}

void THttpCli::StartRequest() {
    FDnsResult.clear();
    FReceiveLen = 0;
    FConnected = false;
    FFollowOnClose = false;
    ResetResponse();
    FReused = false;
    FAnswerBytes = 0;
    FTransportFailure.clear();
    if (!SupportedScheme(FScheme)) {
        // Never another scheme's address over plain HTTP.
        FRequestDoneError = WSAEPROTONOSUPPORT;
        FStatusCode = 404;
        FReasonPhrase = "can't fetch " + FScheme + ":// addresses: " + SocketFailureText(WSAEPROTONOSUPPORT);
        FinishAsClosed();
        return;
    }
    if (KeepAlive && !FForceFresh) {
        if (std::unique_ptr<THttpConnection> kept = Pool().Take(ConnectionKey())) {
            AdoptConnection(std::move(kept));
            FReused = true;
            SetState(THttpCliState::hcResolved);
            // Sent from the loop, as a new connection's request is.
            PostMessage(FWindow.Handle(), WM_HTTP_SEND_KEPT, FSerial);
            return;
        }
    }
    FForceFresh = false;
    DropConnection();
    SetState(THttpCliState::hcResolving);
    Connection().DnsLookup(FConnectHost);
}

// --- connection events ---------------------------------------------------------

void THttpCli::ConnectionDnsLookupDone(THttpConnection& connection, uint16_t error) {
    if (&connection != FConn.get()) return;
    if (error != 0) {
        if (FState == THttpCliState::hcAborting) return;
        FRequestDoneError = error;
        FStatusCode = 404;
        FReasonPhrase = "can't resolve hostname to IP address";
        FinishAsClosed();
        return;
    }
    FDnsResult = connection.Socket().DnsResult();
    SetState(THttpCliState::hcResolved);
    try {
        connection.Connect(FDnsResult, FConnectPort, ConnectionTargetNow());
    } catch (const ESocketException&) {
        int code = connection.Socket().LastError() ? connection.Socket().LastError() : WSAEINVAL;
        FRequestDoneError = static_cast<uint16_t>(code);
        FStatusCode = 404;
        FReasonPhrase = "can't connect: " + SocketFailureText(code);
        connection.Close();  // its close event finds the request already finished
        FinishAsClosed();
    }
}

void THttpCli::ConnectionConnected(THttpConnection& connection, uint16_t error) {
    if (&connection != FConn.get() || FState == THttpCliState::hcAborting) return;
    if (error != 0) {
        FRequestDoneError = error;
        FStatusCode = 404;
        FTransportFailure = connection.FailureText();
        FReasonPhrase = FTransportFailure.empty() ? SocketFailureText(error)
                                                  : FTransportFailure + " (Error #" + std::to_string(error) + ")";
        FinishAsClosed();
        return;
    }
    SessionReady();
}

void THttpCli::SessionReady() {
    FConnected = true;
    SetState(THttpCliState::hcConnected);
    FireSessionConnected();
    if (FState != THttpCliState::hcConnected) return;  // aborted by the handler
    FNext = &THttpCli::HeaderLine;
    SetState(THttpCliState::hcReadingHeader);
    try {
        SendRequest(FRequestType == THttpRequest::hrHead ? "HEAD" : "GET");
    } catch (const std::exception& e) {
        DebugLogReport("THttpCli: sending the request failed:", e.what());
        CloseConnection();
    }
}

void THttpCli::ConnectionClosed(THttpConnection& connection, uint16_t error) {
    if (&connection != FConn.get()) return;
    if (FFollowOnClose) {
        FollowLocation();
        return;
    }
    // A close while idle (Abort on an idle client) reports nothing.
    if (FState == THttpCliState::hcIdle) return;
    if (FDraining) {
        // The server closed after an answer whose body was being dropped:
        // the answer is had all the same.
        FReusable = false;
        CompleteResponse();
        return;
    }
    // A kept connection that the server had closed before our request
    // reached it: the request goes out again, once, on a fresh connection.
    if (FReused && FAnswerBytes == 0 && !FRetriedFresh && FState != THttpCliState::hcAborting) {
        FRetriedFresh = true;
        FForceFresh = true;
        PostMessage(FWindow.Handle(), WM_HTTP_RESTART, FSerial);
        return;
    }
    if (error != 0 && !connection.FailureText().empty()) FTransportFailure = connection.FailureText();
    // A TLS stream cut after the whole answer arrived lost nothing.
    if (error == ERROR_INTERNET_CONNECTION_ABORTED && !TruncationMatters()) error = 0;
    // A chunked body has no other end: a close before its last chunk cuts it.
    if (error == 0 && FState == THttpCliState::hcReadingBody && FFraming == TBodyFraming::bfChunked && !FBodyComplete)
        error = WSAECONNABORTED;
    // A connection that broke off keeps its error, so a cut body is not
    // taken for a complete one.
    if (error != 0 && FRequestDoneError == 0) FRequestDoneError = error;
    FinishAsClosed();
}

void THttpCli::FinishAsClosed() {
    if (FDoneScheduled) return;
    FDoneScheduled = true;
    FConnected = false;
    if (FBodyLineCount > 0) FireDocEnd();
    // Abort returns to hcIdle itself, at once.
    if (FState != THttpCliState::hcAborting) PostMessage(FWindow.Handle(), WM_HTTP_SET_READY, FSerial);
}

void THttpCli::CloseConnection() {
    if (FConn) FConn->Close();
}

// --- composing the request ------------------------------------------------------

void THttpCli::SendCommand(const std::string& line) {
    std::string s = line;
    if (OnCommand) OnCommand(*this, s);
    if (!s.empty()) FRequest += s;
    FRequest += "\r\n";
}

void THttpCli::SendRequest(const std::string& method) {
    FRequest.clear();
    FireRequestHeaderBegin();
    SendCommand(method + " " + RequestTarget() + (KeepAlive ? " HTTP/1.1" : " HTTP/1.0"));
    if (!Sender.empty()) SendCommand("From: " + Sender);
    if (!Accept.empty()) SendCommand("Accept: " + Accept);
    if (!Reference.empty()) SendCommand("Referer: " + Reference);
    if (!Agent.empty()) SendCommand("User-Agent: " + Agent);
    // HTTP/1.1 names a port other than the scheme's in Host; HTTP/1.0
    // requests keep the host alone.
    if (KeepAlive && FTargetPort != DefaultPortOf(FScheme))
        SendCommand("Host: " + FTargetHost + ":" + FTargetPort);
    else
        SendCommand("Host: " + FTargetHost);
    if (NoCache) SendCommand("Pragma: no-cache");
    if (ModifiedSince != 0) SendCommand("If-Modified-Since: " + FormatHttpDate(ModifiedSince) + " GMT");
    if (!Username.empty()) SendCommand("Authorization: Basic " + EncodeBase64(Username + ":" + Password));
    // Through a tunnel the proxy's credentials went with CONNECT: the
    // server must never see them.
    if (!Proxy.empty() && !ProxyUsername.empty() && !Tunnelled())
        SendCommand("Proxy-Authorization: Basic " + EncodeBase64(ProxyUsername + ":" + ProxyPassword));
    if (!Cookie.empty()) SendCommand("Cookie: " + Cookie);
    if (!ContentRangeBegin.empty() || !ContentRangeEnd.empty()) {
        SendCommand("Range: bytes=" + ContentRangeBegin + "-" + ContentRangeEnd);
        ContentRangeBegin.clear();
        ContentRangeEnd.clear();
    }
    FAcceptRanges.clear();
    FireRequestHeaderEnd();
    SendCommand("");
    ++Connection().Requests;
    Connection().Send(FRequest.data(), static_cast<int>(FRequest.size()));
    FRequest.clear();
}

// --- receiving --------------------------------------------------------------------

void THttpCli::ConnectionDataAvailable(THttpConnection& connection, uint16_t) {
    if (&connection != FConn.get()) return;
    // Body bytes need no line splitting: they are read in large pieces
    // straight into their own buffer, so a big file costs few reads. The
    // 8192-byte line buffer still holds the header and bounds its lines.
    if (FState == THttpCliState::hcReadingBody && FReceiveLen == 0 &&
        FRequestType != THttpRequest::hrNone) {
        if (FBodyBuffer.empty()) FBodyBuffer.resize(kBodyReadSize);
        const int room = ReadRoom(connection, kBodyReadSize);
        if (room <= 0) return;
        int n = connection.Receive(FBodyBuffer.data(), room);
        if (n > 0 && Throttle) Throttle->Consumed(n);
        if (n > 0) {
            FAnswerBytes += n;
            BodyBytes(FBodyBuffer.data(), n);
        }
        return;
    }
    if (FReceiveLen >= kReceiveBufferSize) throw EHttpException("HTTP line too long", 4);
    const int room = ReadRoom(connection, kReceiveBufferSize - FReceiveLen);
    if (room <= 0) return;
    int n = connection.Receive(FReceiveBuffer + FReceiveLen, room);
    if (n > 0 && Throttle) Throttle->Consumed(n);
    if (FRequestType == THttpRequest::hrNone || n <= 0) return;
    FAnswerBytes += n;
    FReceiveLen += n;
    FReceiveBuffer[FReceiveLen] = '\0';
    ProcessReceiveBuffer();
}

int THttpCli::ReadRoom(THttpConnection& connection, int wanted) {
    if (!Throttle || FRequestType == THttpRequest::hrNone) return wanted;
    const int room = std::min(wanted, Throttle->Allowance(wanted));
    if (room > 0) return room;
    FReadHeld = true;
    connection.Socket().SetReadHeld(true);
    Throttle->Holding(*this);
    return 0;
}

void THttpCli::ResumeReading() {
    if (!FReadHeld) return;
    FReadHeld = false;
    if (FConn) FConn->Socket().SetReadHeld(false);
}

int THttpCli::DeliverReceived(const char* data, int len) {
    if (FReceiveLen >= kReceiveBufferSize) throw EHttpException("HTTP line too long", 4);
    int n = std::min(len, kReceiveBufferSize - FReceiveLen);
    if (FRequestType == THttpRequest::hrNone || n <= 0) return 0;
    std::memcpy(FReceiveBuffer + FReceiveLen, data, static_cast<size_t>(n));
    FReceiveLen += n;
    FReceiveBuffer[FReceiveLen] = '\0';
    ProcessReceiveBuffer();
    return n;
}

void THttpCli::BeginResponseForTest(THttpRequest kind) {
    ResetResponse();
    FRequestType = kind;
    FState = THttpCliState::hcReadingHeader;
    FNext = &THttpCli::HeaderLine;
    FReceiveLen = 0;
    FHeaderLineCount = FBodyLineCount = 0;
    FLocationChangedFlag = false;
}

void THttpCli::ConsumeFront(int count) {
    std::memmove(FReceiveBuffer, FReceiveBuffer + count, static_cast<size_t>(FReceiveLen - count));
    FReceiveLen -= count;
    FReceiveBuffer[FReceiveLen] = '\0';
}

void THttpCli::ProcessReceiveBuffer() {
    if (FState == THttpCliState::hcReadingBody) {
        int len = FReceiveLen;
        FReceiveLen = 0;
        BodyBytes(FReceiveBuffer, len);
        return;
    }
    for (;;) {
        auto* lf = static_cast<char*>(std::memchr(FReceiveBuffer, '\n', static_cast<size_t>(FReceiveLen)));
        if (!lf) return;
        int lineLen = static_cast<int>(lf - FReceiveBuffer);
        int used = lineLen + 1;
        if (lineLen > 0 && FReceiveBuffer[lineLen - 1] == '\r') --lineLen;
        std::string line(FReceiveBuffer, static_cast<size_t>(lineLen));
        ConsumeFront(used);
        if (FState != THttpCliState::hcReadingHeader && FState != THttpCliState::hcReadingBody) continue;
        (this->*FNext)(line.data(), static_cast<int>(line.size()));
        // A header-less answer switched to the body on its first line: the
        // rest of this read is body as received, line ends included.
        if (FState == THttpCliState::hcReadingBody && FReceiveLen > 0) {
            int len = FReceiveLen;
            FReceiveLen = 0;
            BodyBytes(FReceiveBuffer, len);
            return;
        }
    }
}

void THttpCli::ForgetReceivedHeader() {
    // Every answer has a header of much the same lines: their strings keep
    // their room, unless a header of many or long lines left too much.
    size_t room = 0;
    for (const std::string& line : FReceivedHeader) room += line.capacity();
    if (room > kKeptHeaderRoom) FReceivedHeader.clear();
    FReceivedLines = 0;
}

void THttpCli::HeaderLine(const char* data, int len) {
    const std::string_view line(data, static_cast<size_t>(len));
    if (FHeaderLineCount == 0) FireHeaderBegin();
    ++FHeaderLineCount;
    if (StartsText("<HTML>", line)) {
        // No header at all: the body ends with the connection.
        FFraming = TBodyFraming::bfUntilClose;
        FReusable = false;
        if (FContentType.empty()) FContentType = "text/html";
        SetState(THttpCliState::hcReadingBody);
        FNext = &THttpCli::BodyData;
        // The handler may reuse the receive buffer the line lies in.
        const std::string body(line);
        FireHeaderEnd();
        if (FState == THttpCliState::hcReadingBody) BodyData(body.data(), static_cast<int>(body.size()));
        return;
    }
    if (line.empty()) {
        HeaderEnded();
        return;
    }
    // A server that floods us with header lines gets them processed but not
    // all kept, so memory stays bounded.
    if (FReceivedLines < kMaxKeptHeaderLines) {
        if (FReceivedLines == FReceivedHeader.size()) FReceivedHeader.emplace_back();
        std::string& kept = FReceivedHeader[FReceivedLines++];
        kept.assign(line);
        HeaderField(kept);
    } else {
        HeaderField(std::string(line));
    }
    if (OnHeaderData) OnHeaderData(*this);
}

void THttpCli::HeaderField(const std::string& line) {
    if (line.compare(0, 8, "HTTP/1.0") == 0 || line.compare(0, 8, "HTTP/1.1") == 0) {
        FHttp11Answer = line[7] == '1';
        FStatusCode = StrToInt(Mid(line, 10, 3));
        FReasonPhrase = Mid(line, 14);
        return;
    }
    size_t colon = line.find(':');
    if (colon == std::string::npos) return;
    std::string name = LowerCase(line.substr(0, colon));
    size_t v = colon + 1;
    while (v < line.size() && line[v] == ' ') ++v;
    std::string value = line.substr(v);
    if (name == "location") {
        FLocationChangedFlag = true;
        if (Proxy.empty())
            WorkOutLocation(value);
        else
            WorkOutProxyLocation(value);
    } else if (name == "content-length") {
        FContentLength = StrToInt64(value);
        HeaderFraming(name, value);
    } else if (name == "transfer-encoding" || name == "connection") {
        HeaderFraming(name, value);
    } else if (name == "content-range") {
        // "bytes first-last/total"
        size_t dash = value.find('-');
        size_t slash = value.find('/');
        if (dash != std::string::npos && dash >= 6) {
            ContentRangeBegin = value.substr(6, dash - 6);
            ContentRangeEnd = slash != std::string::npos && slash > dash ? value.substr(dash + 1, slash - dash - 1)
                                                                          : value.substr(dash + 1);
        }
    } else if (name == "accept-ranges") {
        FAcceptRanges = value;
    } else if (name == "content-type") {
        FContentType = LowerCase(value);
    } else if (name == "www-authenticate") {
        if (FAuthenticateHeaders.size() < kMaxKeptHeaderLines) FAuthenticateHeaders.push_back(value);
    } else if (name == "set-cookie") {
        bool accept = true;
        FireCookie(value, accept);
    }
}

void THttpCli::HeaderEnded() {
    if (KeepAlive && FStatusCode >= 100 && FStatusCode <= 199 && FStatusCode != 101) {
        // An interim answer (100 Continue, 103 Early Hints): the real one
        // follows on the same connection.
        ResetResponse();
        FStatusCode = 0;
        return;
    }
    DecideFraming();
    if (FLocationChangedFlag) {
        AnswerWithoutStoredBody(true);
        return;
    }
    if (FStatusCode >= 400) {
        AnswerWithoutStoredBody(false);
        return;
    }
    if (LowerCase(ExtractFileExt(FDocumentName)) == ".exe" && FContentType == "text/html")
        ReplaceExtension(FDocumentName, "htm");
    SetState(THttpCliState::hcReadingBody);
    FNext = &THttpCli::BodyData;
    FireHeaderEnd();
    int len = FReceiveLen;
    FReceiveLen = 0;
    if (FState != THttpCliState::hcReadingBody) return;
    if (len > 0)
        BodyBytes(FReceiveBuffer, len);
    else if (FBodyComplete)
        CompleteResponse();
}

// A redirect's or an error's answer: the header is reported whole (a 401's
// realm lives in it), the body is not read. A kept connection reads a short
// body and drops it, to carry the next request; otherwise the connection is
// closed, and a redirect is followed once it has closed.
void THttpCli::AnswerWithoutStoredBody(bool redirect) {
    FireHeaderEnd();
    if (redirect) FHeaderLineCount = FBodyLineCount = 0;
    if (FState != THttpCliState::hcReadingHeader) {  // aborted by the handler
        FReceiveLen = 0;
        return;
    }
    if (CanDrain()) {
        StartDraining(redirect);
        return;
    }
    FReceiveLen = 0;
    FFollowOnClose = redirect;
    CloseConnection();
}

void THttpCli::BodyData(const char* data, int len) {
    if (FBodyLineCount == 0) FireDocBegin();
    ++FBodyLineCount;
    FReceivedCount += len;
    if (ReceiveStream) {
        try {
            ReceiveStream->WriteBuffer(data, len);
        } catch (const std::exception& e) {
            // A body that cannot be stored must not end as a success.
            DebugLogReport("THttpCli: the received data could not be stored:", e.what());
            Abort();
            return;
        }
    }
    FireDocData(data, len);
}

// --- redirects ---------------------------------------------------------------------

// A port other than the scheme's stays in the new location, so that a
// redirect on a server with its own port is followed to that port.
std::string THttpCli::PortSuffix(const std::string& scheme, const std::string& port) const {
    return port.empty() || port == DefaultPortOf(scheme) ? std::string() : ":" + port;
}

// The scheme of a location stays with it: a redirect from http to https
// goes to the https port and speaks TLS there.
void THttpCli::WorkOutLocation(const std::string& value) {
    if (!value.empty() && value[0] == '/') {
        FRequestPath = value;
        FLocation = FScheme + "://" + FConnectHost + PortSuffix(FScheme, FConnectPort) + value;
        return;
    }
    TURLParts v = SplitURL(value);
    FRequestPath = v.Path;
    FConnectHost = v.Host;
    if (!v.Proto.empty() && !v.Host.empty()) {
        const std::string scheme = LowerCase(v.Proto);
        if (!v.Port.empty())
            FConnectPort = v.Port;
        else if (scheme != FScheme)
            FConnectPort = DefaultPortOf(scheme);
        FScheme = scheme;
        FTargetHost = v.Host;
        FTargetPort = FConnectPort;
        FLocation = v.Proto + "://" + v.Host + PortSuffix(FScheme, v.Port) + FRequestPath;
        if (v.Path.empty()) {
            FRequestPath = "/";
            FLocation = v.Proto + "://" + v.Host + PortSuffix(FScheme, v.Port);
        }
    } else {
        if (!v.Port.empty()) FConnectPort = v.Port;
        if (v.Proto.empty() && v.Path.empty()) {
            // A bare file name, which the splitter gives as the host.
            FLocation = FScheme + "://" + FTargetHost + PortSuffix(FScheme, FConnectPort) + "/" + v.Host;
            FConnectHost = FTargetHost;
            FRequestPath = FLocation;
        } else if (v.Proto.empty() && !v.Host.empty()) {
            FTargetHost = v.Host;
            FTargetPort = FConnectPort;
        } else if (v.Proto.empty()) {
            FLocation = FScheme + "://" + FTargetHost + PortSuffix(FScheme, FConnectPort) + FRequestPath;
            FConnectHost = FTargetHost;
        }
    }
    if (FRequestPath.empty()) FRequestPath = "/";
}

void THttpCli::WorkOutProxyLocation(const std::string& value) {
    if (!value.empty() && value[0] == '/') {
        TURLParts current = SplitURL(FRequestPath);
        FLocation = (current.Proto.empty() ? std::string("http") : current.Proto) + "://" + current.Host +
                    PortSuffix(FScheme, current.Port) + value;
        FRequestPath = FLocation;
        return;
    }
    TURLParts v = SplitURL(value);
    if (!v.Proto.empty() && !v.Host.empty()) {
        FScheme = LowerCase(v.Proto);
        FTargetHost = v.Host;
        FTargetPort = v.Port.empty() ? DefaultPortOf(FScheme) : v.Port;
        // The connection still goes to the proxy: ConnectPort stays its port.
        FLocation = v.Proto + "://" + v.Host + PortSuffix(FScheme, v.Port) +
                    (v.Path.empty() ? std::string("/") : v.Path);
    } else {
        // A relative name: below the current server.
        FLocation = FScheme + "://" + FTargetHost + "/" + value;
    }
    FRequestPath = FLocation;
}

void THttpCli::FollowLocation() {
    FConnected = false;
    FLocationChangedFlag = false;
    FFollowOnClose = false;
    FDraining = false;
    // Without a handler, or when the handler leaves it alone, a redirect is
    // not followed: the request ends aborted with Location naming the target.
    // Callers that want to follow answer true (and bound the count).
    bool redirect = false;
    if (OnLocationChange) OnLocationChange(*this, redirect);
    if (FState == THttpCliState::hcIdle || FState == THttpCliState::hcAborting) return;
    if (redirect)
        PostMessage(FWindow.Handle(), WM_HTTP_RESTART, FSerial);
    else
        Abort();
}

// --- abort ---------------------------------------------------------------------------

void THttpCli::Abort() {
    if (FState == THttpCliState::hcIdle) {
        if (FConn && FConn->Socket().State() != TSocketState::wsClosed) FConn->Close();
        return;
    }
    if (FState == THttpCliState::hcAborting) return;
    THttpCliState old = FState;
    SetState(THttpCliState::hcAborting);
    if (old == THttpCliState::hcResolving) {
        try {
            if (FConn) FConn->CancelDnsLookup();
        } catch (const std::exception&) {
        }
    }
    FStatusCode = 404;
    FReasonPhrase = "Connection aborted on request";
    FRequestDoneError = 3;
    FFollowOnClose = false;
    FDraining = false;
    if (old != THttpCliState::hcResolving) {
        // An answer read whole leaves nothing on a kept connection: it
        // carries the next request (a 304 the run ends this way). Any other
        // abort closes the connection, whatever it was carrying.
        if (FBodyComplete)
            ReleaseConnection();
        else
            CloseConnection();
    }
    FinishAsClosed();  // when no close event did
    FDoneScheduled = true;  // the state change below reports the end
    SetState(THttpCliState::hcIdle);
}

// --- hooks ---------------------------------------------------------------------------

void THttpCli::FireCookie(const std::string& data, bool& accept) {
    if (OnCookie) OnCookie(*this, data, accept);
}
void THttpCli::FireSessionConnected() {
    if (OnSessionConnected) OnSessionConnected(*this);
}
void THttpCli::FireRequestHeaderBegin() {
    if (OnRequestHeaderBegin) OnRequestHeaderBegin(*this);
}
void THttpCli::FireRequestHeaderEnd() {
    if (OnRequestHeaderEnd) OnRequestHeaderEnd(*this);
}
void THttpCli::FireHeaderBegin() {
    if (OnHeaderBegin) OnHeaderBegin(*this);
}
void THttpCli::FireHeaderEnd() {
    if (OnHeaderEnd) OnHeaderEnd(*this);
}
void THttpCli::FireDocBegin() {
    if (OnDocBegin) OnDocBegin(*this);
}
void THttpCli::FireDocData(const char* buffer, int len) {
    if (OnDocData) OnDocData(*this, buffer, len);
}
void THttpCli::FireDocEnd() {
    if (OnDocEnd) OnDocEnd(*this);
}

} // namespace vorlin
