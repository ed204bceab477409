#include "engine/ArHTTP.h"

#include "engine/RunTexts.h"
#include "platform/MessageQueue.h"
#include "platform/StringUtils.h"

#include <algorithm>

namespace vorlin {

namespace {

const char* const kMonthNames[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                   "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};

// Cuts the text before the first of the separators and the separator itself.
std::string TakeField(std::string& text, const char* separators) {
    size_t at = text.find_first_of(separators);
    std::string field = text.substr(0, at);
    text = at == std::string::npos ? std::string() : text.substr(at + 1);
    return field;
}

// "hh:mm[:ss]" to a fraction of a day.
TDateTime ParseTimeOfDay(const std::string& text) {
    std::string rest = text;
    int hour = StrToInt(TakeField(rest, ":"));
    int minute = StrToInt(TakeField(rest, ":"));
    int second = rest.empty() ? 0 : StrToInt(rest);
    try {
        return EncodeTime(hour, minute, second, 0);
    } catch (const EConvertError&) {
        throw EConvertError("'" + text + "' is not a valid time");
    }
}

// The form nearly every server sends, "Sun, 06 Nov 1994 08:49:37 GMT", read
// in place (every answer's Last-Modified passes here). False for any other
// shape or an out-of-range time: the general reading decides those.
bool ParseFixedHttpDate(std::string_view text, TDateTime& result) {
    if (text.size() != 29 || text[3] != ',' || text[4] != ' ' || text[7] != ' ' || text[11] != ' ' ||
        text[16] != ' ' || text[19] != ':' || text[22] != ':' || text.substr(25) != " GMT")
        return false;
    auto number = [&](size_t at, size_t length, int& value) {
        value = 0;
        for (size_t i = at; i < at + length; ++i) {
            if (text[i] < '0' || text[i] > '9') return false;
            value = value * 10 + (text[i] - '0');
        }
        return true;
    };
    int day, year, hour, minute, second;
    if (!number(5, 2, day) || !number(12, 4, year) || !number(17, 2, hour) || !number(20, 2, minute) ||
        !number(23, 2, second) || hour > 23 || minute > 59 || second > 59)
        return false;
    int monthNumber = 0;
    for (int i = 0; i < 12 && monthNumber == 0; ++i)
        if (SameText(text.substr(8, 3), kMonthNames[i])) monthNumber = i + 1;
    if (monthNumber == 0) return false;
    const TDateTime date = EncodeDate(year, monthNumber, day);
    const TDateTime timeOfDay = EncodeTime(hour, minute, second, 0);
    result = date >= 0 ? date + timeOfDay : date - timeOfDay;
    return true;
}

} // namespace

TArHTTP::TArHTTP(IFetchOwner* run, int clientNumber, std::unique_ptr<IClientParser> parser)
    : FRun(run), FParser(std::move(parser)) {
    Tag = clientNumber;
    // Its target and socket are served by the run thread's own loop.
    SetMultiThreaded(true);
    FTimeOutTimer.SetEnabled(false);
    FTimeOutTimer.OnTimer = [this](TTimer&) { TimeOutHandler(); };
    SetTimeOutEnabled(false);
    FLowSpeedTimer.SetEnabled(false);
    FLowSpeedTimer.SetInterval(0);
    FLowSpeedTimer.OnTimer = [this](TTimer&) { LowSpeedPeriodEnded(); };
}

TArHTTP::~TArHTTP() {
    FParser.reset();
    FTimeOutTimer.SetEnabled(false);
    FLowSpeedTimer.SetEnabled(false);
    ReceiveStream = nullptr;
}

void TArHTTP::SetStopReason(TStopReason reason) {
    if (FStopReason == srRunning || reason == srRunning) FStopReason = reason;
}

void TArHTTP::SetTimeOutEnabled(bool enabled) {
    FTimeOutEnabled = enabled;
    FTimeOutTimer.SetInterval(enabled ? static_cast<uint32_t>(std::max(0, TimeOutLength)) * 1000u : 0u);
}

void TArHTTP::StartGet(bool resetTries) {
    StopLowSpeedWatch();
    LastModified = 0;
    SetStopReason(srRunning);
    if (resetTries) TriesUsed = 0;
    Get();
}

std::string TArHTTP::ContentTypeString() const {
    size_t semicolon = ContentType().find(';');
    return ContentType().substr(0, semicolon);
}

bool TArHTTP::ProcessOneMessage() {
    TMsg msg;
    if (!PeekMessage(msg, WindowHandle())) return false;
    DispatchMessage(msg);
    return true;
}

void TArHTTP::SetOwnedReceiveStream(std::unique_ptr<TStream> stream) {
    KeepForReuse(std::move(FOwnedStream));
    FOwnedStream = std::move(stream);
    ReceiveStream = FOwnedStream.get();
}

void TArHTTP::FreeReceiveStream() {
    ReceiveStream = nullptr;
    KeepForReuse(std::move(FOwnedStream));
}

void TArHTTP::KeepForReuse(std::unique_ptr<TStream> stream) {
    // A client fetches page after page of much the same size: a new stream
    // each time cost an allocation and the copies of its growth per page.
    auto* memory = dynamic_cast<TMemoryStream*>(stream.get());
    if (!memory || memory->Capacity() > kKeptMemoryRoom) return;
    memory->Clear();
    stream.release();
    FSpareMemory.reset(memory);
}

std::unique_ptr<TMemoryStream> TArHTTP::TakeSpareMemory() {
    if (FSpareMemory) return std::move(FSpareMemory);
    return std::make_unique<TMemoryStream>();
}

void TArHTTP::TimeOutHandler() {
    if (TriesUsed < NumberOfTries && FRun)
        FRun->PostLog(FormatRunText(607, {URL, std::to_string(NumberOfTries - TriesUsed - 1)}));
    RetryOrGiveUp();
}

void TArHTTP::RetryOrGiveUp() {
    FTimeOutTimer.SetEnabled(false);
    StopLowSpeedWatch();
    if (TriesUsed < NumberOfTries) {
        ++TriesUsed;
        FreeReceiveStream();
        SetStopReason(srRetry);
    } else {
        TriesUsed = 0;
        SetStopReason(srGivenUp);
    }
    Abort();
}

void TArHTTP::SetLowSpeedLimit(int64_t bytes, uint32_t periodMs) {
    FLowSpeedBytes = bytes > 0 && periodMs > 0 ? bytes : 0;
    FLowSpeedTimer.SetInterval(FLowSpeedBytes > 0 ? periodMs : 0);
}

void TArHTTP::StartLowSpeedWatch() {
    FPeriodBytes = 0;
    if (FLowSpeedBytes > 0) FLowSpeedTimer.SetEnabled(true);
    FLowSpeedTimer.Restart();
}

void TArHTTP::LowSpeedPeriodEnded() {
    // A request that is already ending is left to end.
    if (FStopReason != srRunning || FPeriodBytes >= FLowSpeedBytes) {
        FPeriodBytes = 0;
        return;
    }
    FLowSpeedTimer.SetEnabled(false);
    if (FRun)
        FRun->PostLog(Format("%s sent %lld bytes in %u seconds, fewer than the low-speed limit of %lld",
                             URL.c_str(), static_cast<long long>(FPeriodBytes),
                             (FLowSpeedTimer.Interval() + 999) / 1000, static_cast<long long>(FLowSpeedBytes)));
    TimeOutHandler();
}

void TArHTTP::FireHeaderEnd() {
    LastModified = 0;
    for (const std::string& line : ReceivedHeader()) {
        size_t colon = line.find(':');
        if (colon == std::string::npos) continue;
        // Every line of every answer passes here: names are compared in place.
        const std::string_view name = std::string_view(line).substr(0, colon);
        const bool lastModified = SameText(name, "last-modified");
        if (!lastModified && !SameText(name, "content-encoding")) continue;
        // One blank after the colon is assumed.
        std::string value = colon + 2 <= line.size() ? line.substr(colon + 2) : std::string();
        if (lastModified) {
            try {
                LastModified = ParseHttpDate(value);
            } catch (const std::exception& e) {
                LastModified = 0;
                if (FRun) FRun->PostError("Server sent invalid date: " + value + "->" + e.what());
            }
        } else {
            // A compressed page carries its encoding as its type and is stored as received.
            FContentType = LowerCase(value);
        }
    }
    THttpCli::FireHeaderEnd();
}

TDateTime TArHTTP::ParseHttpDate(const std::string& textIn) {
    TDateTime fixed;
    if (ParseFixedHttpDate(textIn, fixed)) return fixed;
    std::string text = textIn;
    size_t comma = text.find(',');
    if (comma != std::string::npos) text = text.size() > comma + 2 ? text.substr(comma + 2) : std::string();
    text = Trim(text);
    std::string day = TakeField(text, "- ");
    std::string month = UpperCase(TakeField(text, "- "));
    int monthNumber = 0;
    for (int i = 0; i < 12; ++i)
        if (month == kMonthNames[i]) monthNumber = i + 1;
    if (monthNumber == 0) throw Exception("Invalid Monthname: " + month);
    std::string year = TakeField(text, " ");
    std::string time = TakeField(text, " ");
    // The zone is ignored: the value is used as written, and a two-digit
    // year is taken literally. Before 1899 the day count is negative and
    // the time of day counts away from zero.
    TDateTime date = EncodeDate(StrToInt(year), monthNumber, StrToInt(day));
    TDateTime timeOfDay = ParseTimeOfDay(time);
    return date >= 0 ? date + timeOfDay : date - timeOfDay;
}

} // namespace vorlin
