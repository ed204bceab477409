// zlib (RFC 1950) streams over another stream: the link data file is one,
// and update packages are decompressed the same way. Both are one-way and
// sequential; they don't own the stream beneath them.
#pragma once

#include "platform/Stream.h"

#include <memory>

namespace vorlin {

// Compresses what is written to it into dest. Finish() must be called to
// write the end of the zlib stream.
class TZCompressionStream : public TStream {
public:
    explicit TZCompressionStream(TStream& dest, int level = 9);
    ~TZCompressionStream() override;

    int64_t Read(void* buffer, int64_t count) override;  // throws
    int64_t Write(const void* buffer, int64_t count) override;
    // Only Seek(0, soCurrent): the number of bytes written so far.
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() override;
    void SetSize(int64_t size) override;  // throws
    void Finish();

private:
    struct TState;
    void Drain(int flush);
    TStream& FDest;
    std::unique_ptr<TState> F;
};

// Decompresses source as it is read. Damaged data throws EStreamError
// "zlib: ..."; so does compressed data that ends before the zlib stream does.
// A Read that meets either returns the bytes it made before, and the next
// Read throws.
class TZDecompressionStream : public TStream {
public:
    explicit TZDecompressionStream(TStream& source);
    ~TZDecompressionStream() override;

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;  // throws
    // Only Seek(0, soCurrent) (bytes produced so far) and forward skips.
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() override;  // throws: unknown until the end
    void SetSize(int64_t size) override;  // throws

private:
    struct TState;
    TStream& FSource;
    std::unique_ptr<TState> F;
};

} // namespace vorlin
