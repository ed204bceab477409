// TChunkedDecoder: undoes the chunked transfer coding of an HTTP/1.1 body as
// its bytes arrive, in pieces of any size: chunk sizes in hexadecimal with
// optional extensions, each chunk's data, the last chunk of size 0 and an
// optional trailer. The data goes to a sink as it is found; extensions and
// trailer lines are read and forgotten. Bounded: a size line or a trailer
// beyond the limits, a size that is no hexadecimal number or that overflows,
// or a missing line end after a chunk's data is a broken body.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vorlin {

class TChunkedDecoder {
public:
    enum class TResult : uint8_t { crMore, crDone, crBroken };

    static constexpr size_t kMaxSizeLine = 4096;
    static constexpr size_t kMaxTrailer = 16384;

    void Reset();
    // Consumes from data; every piece of chunk data goes to sink(piece, n).
    // used: the bytes consumed (all of them unless the body ended: then the
    // rest follows the body). Once done or broken, nothing more is consumed.
    template <typename TSink> TResult Feed(const char* data, size_t len, size_t& used, TSink&& sink) {
        used = 0;
        while (used < len && FState != TState::ksDone && FState != TState::ksBroken) {
            if (FState == TState::ksData) {
                size_t take = len - used < FLeft ? len - used : static_cast<size_t>(FLeft);
                FLeft -= take;
                if (FLeft == 0) FState = TState::ksDataEnd;
                sink(data + used, take);
                used += take;
                continue;
            }
            Step(data[used++]);
        }
        return FState == TState::ksDone ? TResult::crDone
               : FState == TState::ksBroken ? TResult::crBroken
                                             : TResult::crMore;
    }
    bool Done() const { return FState == TState::ksDone; }
    bool Broken() const { return FState == TState::ksBroken; }

private:
    enum class TState : uint8_t {
        ksSize,       // hexadecimal digits of the chunk size
        ksExtension,  // after the size: extensions up to the line end
        ksSizeLF,     // CR seen after the size line
        ksData,       // FLeft bytes of chunk data
        ksDataEnd,    // CR LF after the data
        ksDataLF,     // CR seen after the data
        ksTrailer,    // trailer lines after the last chunk, up to an empty one
        ksTrailerLF,  // CR seen in a trailer line
        ksDone,
        ksBroken,
    };
    void Step(char c);
    void SizeLineEnded();

    TState FState = TState::ksSize;
    uint64_t FLeft = 0;
    int FDigits = 0;
    size_t FLineLength = 0;   // of the size line or the current trailer line
    size_t FTrailerBytes = 0;
};

} // namespace vorlin
