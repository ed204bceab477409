#include "platform/DebugLog.h"

#include <mutex>

namespace vorlin {
namespace {
std::mutex& SinkLock() {
    static std::mutex m;
    return m;
}
TDebugLogSink& Sink() {
    static TDebugLogSink s;
    return s;
}
} // namespace

TDebugLogSink SetDebugLogSink(TDebugLogSink sink) {
    std::lock_guard<std::mutex> g(SinkLock());
    TDebugLogSink old = std::move(Sink());
    Sink() = std::move(sink);
    return old;
}

void DebugLog(const std::string& line) {
    std::lock_guard<std::mutex> g(SinkLock());
    if (Sink()) Sink()(line);
}

void DebugLogReport(const std::string& context, const std::string& message) {
    std::lock_guard<std::mutex> g(SinkLock());
    if (!Sink()) return;
    if (!context.empty()) Sink()(context);
    Sink()(message);
}

} // namespace vorlin
