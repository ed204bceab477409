// TArHTTP: the download run's connection slot. An HTTP client with what a
// crawler needs per connection: a time-out timer that measures silence, a
// try count, the reason why a request ended, the last-modified date of the
// response, the link being fetched, its own HTML parser and a back
// reference to its run.
#pragma once

#include "engine/ClientParser.h"
#include "engine/FetchOwner.h"
#include "net/HttpCli.h"
#include "platform/DateTime.h"
#include "platform/Timer.h"

#include <cstdint>
#include <memory>
#include <string>

namespace vorlin {

class TDownloadLink;

enum TStopReason : uint8_t {
    srFilteredOut = 0,
    srPaused = 1,
    srClosing = 2,
    srGivenUp = 3,
    srRetry = 4,
    srRunning = 5,
    srNotModified = 6,
    srRemoved = 7,
    srAuthRequired = 8,
    srRedirected = 9,
};

class TArHTTP : public THttpCli {
public:
    TArHTTP(IFetchOwner* run, int clientNumber, std::unique_ptr<IClientParser> parser = nullptr);
    ~TArHTTP() override;

    // Last-Modified of the response; 0 when none or unreadable.
    TDateTime LastModified = 0;
    TDownloadLink* CurrentLink = nullptr;  // borrowed
    int32_t TriesUsed = 0;
    int32_t TimeOutLength = 0;  // seconds
    int32_t NumberOfTries = 3;

    TStopReason StopReason() const { return FStopReason; }
    // The first reason set after a start wins until the next start.
    void SetStopReason(TStopReason reason);
    bool TimeOutEnabled() const { return FTimeOutEnabled; }
    void SetTimeOutEnabled(bool enabled);
    TTimer& TimeOutTimer() { return FTimeOutTimer; }
    IClientParser* Parser() const { return FParser.get(); }
    void SetParser(std::unique_ptr<IClientParser> parser) { FParser = std::move(parser); }
    IFetchOwner* Run() const { return FRun; }

    // Start GET: last-modified 0, stop reason srRunning, tries used 0, Get.
    // A retry after a time-out keeps its tries (resetTries false), so a link
    // is requested at most NumberOfTries + 1 times.
    void StartGet(bool resetTries = true);
    // ContentType up to the first ";".
    std::string ContentTypeString() const;
    // Dispatches one pending message of the client's own target; false when none.
    bool ProcessOneMessage();
    // The timer's event; the run also calls it for socket error 10060.
    void TimeOutHandler();
    // What a time-out does, without its line: the same link again while
    // tries are left (srRetry), else srGivenUp; then Abort.
    void RetryOrGiveUp();

    // The low-speed limit: a body that brings fewer than bytes in one period
    // of periodMs ends like a time-out (a server that drips never falls
    // silent, so the time-out alone would wait for it forever). 0 in either
    // switches it off.
    void SetLowSpeedLimit(int64_t bytes, uint32_t periodMs);
    // The body begins: the first period starts.
    void StartLowSpeedWatch();
    // Body bytes arrived in the current period.
    void CountBodyBytes(int64_t bytes) { FPeriodBytes += bytes; }
    void StopLowSpeedWatch() { FLowSpeedTimer.SetEnabled(false); }

    // The receive stream, when the component is to own it (the run hands
    // over the streams it opens; the time-out handler frees them).
    void SetOwnedReceiveStream(std::unique_ptr<TStream> stream);
    void FreeReceiveStream();
    // An empty memory stream for the next body: the one this client let go
    // of last, when it kept it, else a new one.
    std::unique_ptr<TMemoryStream> TakeSpareMemory();
    static constexpr size_t kKeptMemoryRoom = 512u << 10;

    // RFC 1123 and RFC 850 dates; throws Exception on anything else.
    static TDateTime ParseHttpDate(const std::string& text);

protected:
    void FireHeaderEnd() override;

private:
    void LowSpeedPeriodEnded();
    // A memory stream let go of keeps its room for the next page, unless
    // it grew beyond kKeptMemoryRoom.
    void KeepForReuse(std::unique_ptr<TStream> stream);

    IFetchOwner* FRun;
    bool FTimeOutEnabled = false;
    TStopReason FStopReason = srRunning;
    std::unique_ptr<IClientParser> FParser;
    std::unique_ptr<TStream> FOwnedStream;
    std::unique_ptr<TMemoryStream> FSpareMemory;
    TTimer FTimeOutTimer;
    TTimer FLowSpeedTimer;
    int64_t FLowSpeedBytes = 0;
    int64_t FPeriodBytes = 0;
};

} // namespace vorlin
