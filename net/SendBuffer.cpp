#include "net/SendBuffer.h"

#include <algorithm>
#include <cstring>

namespace vorlin {

TBuffer::TBuffer(int size) : FData(static_cast<size_t>(size > 0 ? size : kDefaultSize)) {}

int TBuffer::Write(const void* data, int len) {
    int room = BufSize() - FWrCount;
    int n = std::max(0, std::min(room, len));
    if (n > 0) std::memcpy(FData.data() + FWrCount, data, static_cast<size_t>(n));
    FWrCount += n;
    return n;
}

const char* TBuffer::Peek(int& len) const {
    len = FWrCount - FRdCount;
    return FData.data() + FRdCount;
}

void TBuffer::Remove(int count) {
    FRdCount = std::min(FWrCount, FRdCount + std::max(0, count));
    if (FRdCount >= FWrCount) FRdCount = FWrCount = 0;
}

} // namespace vorlin
