// The socket's send buffer: a list of fixed-size blocks that Send fills and
// the write notifications drain, so Send never blocks and never loses bytes.
#pragma once

#include <memory>
#include <vector>

namespace vorlin {

class TBuffer {
public:
    static constexpr int kDefaultSize = 1514;
    // A size of 0 or less means the default.
    explicit TBuffer(int size = kDefaultSize);

    // Copies as much as fits; answers the count copied.
    int Write(const void* data, int len);
    // The unread part (len := its size).
    const char* Peek(int& len) const;
    // Advances the read count; a block read to the end is reused from the start.
    void Remove(int count);

    int BufSize() const { return static_cast<int>(FData.size()); }
    int WrCount() const { return FWrCount; }
    int RdCount() const { return FRdCount; }

private:
    std::vector<char> FData;
    int FWrCount = 0;
    int FRdCount = 0;
};

} // namespace vorlin
