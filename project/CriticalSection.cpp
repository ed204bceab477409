#include "project/CriticalSection.h"

namespace vorlin {

uint32_t TCriticalSection::ThisThread() {
    static std::atomic<uint32_t> next{1};
    thread_local const uint32_t id = next.fetch_add(1, std::memory_order_relaxed);
    return id;
}

} // namespace vorlin
