// How THttpCli finds the end of an answer on a persistent connection: the
// header lines that decide it, the body routine that counts a length or
// undoes the chunked coding, the short bodies it reads and drops to keep the
// connection, and the end of an answer without the connection's close.
// Without KeepAlive every body ends with the connection, as in HTTP/1.0.
#include "net/HttpCli.h"

#include "net/TransportErrors.h"
#include "platform/StringUtils.h"

#include <algorithm>

namespace vorlin {

namespace {

// The comma-separated tokens of a header value, trimmed and in lower case.
std::vector<std::string> Tokens(const std::string& value) {
    std::vector<std::string> tokens;
    size_t start = 0;
    while (start <= value.size()) {
        size_t comma = value.find(',', start);
        if (comma == std::string::npos) comma = value.size();
        std::string token = LowerCase(Trim(value.substr(start, comma - start)));
        if (!token.empty()) tokens.push_back(token);
        start = comma + 1;
    }
    return tokens;
}

} // namespace

void THttpCli::ResetResponse() {
    FFraming = TBodyFraming::bfUntilClose;
    FBodyLeft = 0;
    FChunked.Reset();
    FHttp11Answer = false;
    FConnectionClose = FConnectionKeepAlive = false;
    FChunkedCoding = FTransferCoded = false;
    FLengthSeen = FLengthConflict = false;
    FReusable = false;
    FBodyComplete = false;
    FResponseComplete = false;
    FDraining = FFollowAfterDrain = false;
    FDrained = 0;
}

void THttpCli::HeaderFraming(const std::string& name, const std::string& value) {
    if (name == "content-length") {
        // Two lengths that differ leave no length to trust.
        if (FLengthSeen && FContentLength != FBodyLeft) FLengthConflict = true;
        FLengthSeen = true;
        FBodyLeft = FContentLength;
    } else if (name == "transfer-encoding") {
        std::vector<std::string> codings = Tokens(value);
        FTransferCoded = FTransferCoded || !codings.empty();
        // Only a coding list that ends in chunked is framed by it.
        FChunkedCoding = !codings.empty() && codings.back() == "chunked";
    } else if (name == "connection") {
        for (const std::string& token : Tokens(value)) {
            if (token == "close") FConnectionClose = true;
            if (token == "keep-alive") FConnectionKeepAlive = true;
        }
    }
}

void THttpCli::DecideFraming() {
    FBodyComplete = false;
    FResponseComplete = false;
    if (!KeepAlive) {
        FFraming = TBodyFraming::bfUntilClose;
        FReusable = false;
        return;
    }
    // HTTP/1.1 keeps the connection unless it says close; HTTP/1.0 only
    // when it says keep-alive.
    FReusable = FHttp11Answer ? !FConnectionClose : FConnectionKeepAlive;
    if (FRequestType == THttpRequest::hrHead || (FStatusCode >= 100 && FStatusCode <= 199) || FStatusCode == 204 ||
        FStatusCode == 304) {
        FFraming = TBodyFraming::bfNone;
        FBodyComplete = true;
        // A switch to another protocol leaves nothing HTTP could use.
        if (FStatusCode == 101) FReusable = false;
        return;
    }
    if (FChunkedCoding) {
        // Chunked wins over a length, which then means nothing.
        FFraming = TBodyFraming::bfChunked;
        FChunked.Reset();
        FContentLength = -1;
        return;
    }
    if (!FTransferCoded && FLengthSeen && !FLengthConflict && FContentLength >= 0) {
        FFraming = TBodyFraming::bfLength;
        FBodyLeft = FContentLength;
        FBodyComplete = FBodyLeft == 0;
        return;
    }
    FFraming = TBodyFraming::bfUntilClose;
    FReusable = false;
}

bool THttpCli::BodyStillRead() const { return FState == THttpCliState::hcReadingBody && !FResponseComplete; }

void THttpCli::BodyBytes(const char* data, int len) {
    if (len <= 0) return;
    if (FResponseComplete || FBodyComplete) {
        // Bytes beyond the answer: the connection is out of step.
        FReusable = false;
        if (!FResponseComplete && BodyStillRead()) CompleteResponse();
        return;
    }
    switch (FFraming) {
    case TBodyFraming::bfUntilClose:
        DeliverBody(data, len);
        return;
    case TBodyFraming::bfNone:
        return;  // complete already (above)
    case TBodyFraming::bfLength: {
        const int take = static_cast<int>(std::min<int64_t>(len, FBodyLeft));
        FBodyLeft -= take;
        if (take < len) FReusable = false;
        if (FBodyLeft == 0) FBodyComplete = true;
        if (take > 0) DeliverBody(data, take);
        if (FBodyComplete && BodyStillRead()) CompleteResponse();
        return;
    }
    case TBodyFraming::bfChunked: {
        size_t used = 0;
        TChunkedDecoder::TResult result =
            FChunked.Feed(data, static_cast<size_t>(len), used, [this](const char* piece, size_t n) {
                if (BodyStillRead()) DeliverBody(piece, static_cast<int>(n));
            });
        if (!BodyStillRead()) return;
        if (result == TChunkedDecoder::TResult::crBroken) {
            BrokenFraming();
        } else if (result == TChunkedDecoder::TResult::crDone) {
            FBodyComplete = true;
            if (used < static_cast<size_t>(len)) FReusable = false;
            CompleteResponse();
        }
        return;
    }
    }
}

void THttpCli::DeliverBody(const char* data, int len) {
    if (!FDraining) {
        BodyData(data, len);
        return;
    }
    FDrained += len;
    if (FDrained > kMaxDrainedBody) {
        // Longer than it is worth reading: the connection goes instead.
        FReusable = false;
        CompleteResponse();
    }
}

bool THttpCli::CanDrain() const {
    if (!KeepAlive || !FReusable) return false;
    switch (FFraming) {
    case TBodyFraming::bfNone:
    case TBodyFraming::bfChunked:
        return true;
    case TBodyFraming::bfLength:
        return FBodyLeft <= kMaxDrainedBody;
    case TBodyFraming::bfUntilClose:
        return false;
    }
    return false;
}

// The rest of a redirect's or an error's answer is read and dropped; then
// the redirect is followed, or the request ends, and the connection goes to
// the pool.
void THttpCli::StartDraining(bool follow) {
    FDraining = true;
    FFollowAfterDrain = follow;
    FDrained = 0;
    SetState(THttpCliState::hcReadingBody);
    FNext = &THttpCli::BodyData;
    const int len = FReceiveLen;
    FReceiveLen = 0;
    if (len > 0)
        BodyBytes(FReceiveBuffer, len);
    else if (FBodyComplete)
        CompleteResponse();
}

void THttpCli::CompleteResponse() {
    if (FResponseComplete) return;
    FResponseComplete = true;
    ReleaseConnection();
    if (FDraining && FFollowAfterDrain) {
        FollowLocation();
        return;
    }
    FDraining = false;
    FinishAsClosed();
}

// A chunked body that can't be followed: the answer ends as broken and the
// connection goes.
void THttpCli::BrokenFraming() {
    FReusable = false;
    if (FRequestDoneError == 0) FRequestDoneError = ERROR_HTTP_INVALID_SERVER_RESPONSE;
    FTransportFailure = "the chunked body from " + FTargetHost + " is broken";
    if (FDraining) {
        CompleteResponse();
        return;
    }
    DropConnection();
    FinishAsClosed();
}

// Whether a TLS stream that ended without close_notify may have lost part
// of the answer.
bool THttpCli::TruncationMatters() const {
    if (FRequestType == THttpRequest::hrHead) return false;
    if (FState == THttpCliState::hcReadingHeader) return true;
    if (FState != THttpCliState::hcReadingBody || FBodyComplete) return false;
    return !(FContentLength >= 0 && FReceivedCount >= FContentLength);
}

} // namespace vorlin
