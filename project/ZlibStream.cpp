#include "project/ZlibStream.h"

#include "platform/Exception.h"

#include <algorithm>
#include <string>

#include <zlib.h>

namespace vorlin {

namespace {

constexpr size_t kChunk = 16384;

[[noreturn]] void Fail(const char* what, const z_stream& z, int code) {
    std::string detail = z.msg ? z.msg : zError(code);
    throw EStreamError(std::string("zlib: ") + what + " (" + detail + ")");
}

} // namespace

// Compression

struct TZCompressionStream::TState {
    z_stream Z{};
    unsigned char Out[kChunk];
    bool Finished = false;
};

TZCompressionStream::TZCompressionStream(TStream& dest, int level)
    : FDest(dest), F(std::make_unique<TState>()) {
    int code = deflateInit(&F->Z, level);
    if (code != Z_OK) Fail("cannot start compressing", F->Z, code);
}

TZCompressionStream::~TZCompressionStream() { deflateEnd(&F->Z); }

void TZCompressionStream::Drain(int flush) {
    do {
        F->Z.next_out = F->Out;
        F->Z.avail_out = kChunk;
        int code = deflate(&F->Z, flush);
        if (code == Z_STREAM_ERROR) Fail("compression failed", F->Z, code);
        FDest.WriteBuffer(F->Out, static_cast<int64_t>(kChunk - F->Z.avail_out));
    } while (F->Z.avail_out == 0);
}

int64_t TZCompressionStream::Write(const void* buffer, int64_t count) {
    if (F->Finished) throw EStreamError("zlib: write after the end of the stream");
    const unsigned char* in = static_cast<const unsigned char*>(buffer);
    int64_t left = count;
    while (left > 0) {
        uInt n = static_cast<uInt>(std::min<int64_t>(left, 1 << 30));
        F->Z.next_in = const_cast<unsigned char*>(in);
        F->Z.avail_in = n;
        Drain(Z_NO_FLUSH);
        in += n;
        left -= n;
    }
    return count;
}

void TZCompressionStream::Finish() {
    if (F->Finished) return;
    F->Z.next_in = nullptr;
    F->Z.avail_in = 0;
    Drain(Z_FINISH);
    F->Finished = true;
}

int64_t TZCompressionStream::Read(void*, int64_t) {
    throw EStreamError("zlib: a compression stream can't be read");
}

int64_t TZCompressionStream::Seek(int64_t offset, TSeekOrigin origin) {
    if (offset != 0 || origin != TSeekOrigin::soCurrent)
        throw EStreamError("zlib: a compression stream can't seek");
    return static_cast<int64_t>(F->Z.total_in);
}

int64_t TZCompressionStream::Size() { return static_cast<int64_t>(F->Z.total_in); }

void TZCompressionStream::SetSize(int64_t) {
    throw EStreamError("zlib: a compression stream can't change its size");
}

// Decompression

struct TZDecompressionStream::TState {
    z_stream Z{};
    unsigned char In[kChunk];
    bool Ended = false;
    std::string Failure;  // met after bytes a Read still returned
};

TZDecompressionStream::TZDecompressionStream(TStream& source)
    : FSource(source), F(std::make_unique<TState>()) {
    int code = inflateInit(&F->Z);
    if (code != Z_OK) Fail("cannot start decompressing", F->Z, code);
}

TZDecompressionStream::~TZDecompressionStream() { inflateEnd(&F->Z); }

int64_t TZDecompressionStream::Read(void* buffer, int64_t count) {
    if (!F->Failure.empty()) throw EStreamError(F->Failure);
    if (count <= 0 || F->Ended) return 0;
    unsigned char* out = static_cast<unsigned char*>(buffer);
    int64_t done = 0;
    try {
        while (done < count && !F->Ended) {
            if (F->Z.avail_in == 0) {
                int64_t n = FSource.Read(F->In, kChunk);
                if (n <= 0) throw EStreamError("zlib: the compressed data ends early");
                F->Z.next_in = F->In;
                F->Z.avail_in = static_cast<uInt>(n);
            }
            uInt want = static_cast<uInt>(std::min<int64_t>(count - done, 1 << 30));
            F->Z.next_out = out + done;
            F->Z.avail_out = want;
            int code = inflate(&F->Z, Z_NO_FLUSH);
            done += want - F->Z.avail_out;
            if (code == Z_STREAM_END)
                F->Ended = true;
            else if (code == Z_NEED_DICT || code == Z_DATA_ERROR || code == Z_MEM_ERROR ||
                     code == Z_STREAM_ERROR)
                Fail("the compressed data is damaged", F->Z, code == Z_NEED_DICT ? Z_DATA_ERROR : code);
        }
    } catch (const std::exception& e) {
        // What was sound before the damage is the caller's still: a link
        // list keeps every link it could read. The failure comes next.
        if (done == 0) throw;
        F->Failure = e.what();
    }
    return done;
}

int64_t TZDecompressionStream::Write(const void*, int64_t) {
    throw EStreamError("zlib: a decompression stream can't be written");
}

int64_t TZDecompressionStream::Seek(int64_t offset, TSeekOrigin origin) {
    if (origin == TSeekOrigin::soCurrent && offset >= 0) {
        char skip[4096];
        while (offset > 0) {
            int64_t n = Read(skip, std::min<int64_t>(offset, sizeof skip));
            if (n <= 0) break;
            offset -= n;
        }
        return static_cast<int64_t>(F->Z.total_out);
    }
    throw EStreamError("zlib: a decompression stream can only move forward");
}

int64_t TZDecompressionStream::Size() {
    throw EStreamError("zlib: the size of a decompression stream is not known");
}

void TZDecompressionStream::SetSize(int64_t) {
    throw EStreamError("zlib: a decompression stream can't change its size");
}

} // namespace vorlin
