#include "net/ChunkedDecoder.h"

namespace vorlin {

namespace {

// The chunk size may not pass this (60 bits): nothing real is that large,
// and it keeps the sum far from overflowing.
constexpr uint64_t kMaxChunk = uint64_t{1} << 60;

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

} // namespace

void TChunkedDecoder::Reset() {
    FState = TState::ksSize;
    FLeft = 0;
    FDigits = 0;
    FLineLength = 0;
    FTrailerBytes = 0;
}

void TChunkedDecoder::SizeLineEnded() {
    if (FDigits == 0) {
        FState = TState::ksBroken;
        return;
    }
    FLineLength = 0;
    FState = FLeft == 0 ? TState::ksTrailer : TState::ksData;
}

void TChunkedDecoder::Step(char c) {
    switch (FState) {
    case TState::ksSize: {
        if (++FLineLength > kMaxSizeLine) {
            FState = TState::ksBroken;
            return;
        }
        int digit = HexValue(c);
        if (digit >= 0) {
            FLeft = FLeft * 16 + static_cast<uint64_t>(digit);
            ++FDigits;
            if (FLeft >= kMaxChunk) FState = TState::ksBroken;
        } else if (c == ';' || c == ' ' || c == '\t') {
            FState = TState::ksExtension;
        } else if (c == '\r') {
            FState = TState::ksSizeLF;
        } else if (c == '\n') {
            SizeLineEnded();
        } else {
            FState = TState::ksBroken;
        }
        return;
    }
    case TState::ksExtension:
        if (++FLineLength > kMaxSizeLine)
            FState = TState::ksBroken;
        else if (c == '\n')
            SizeLineEnded();
        return;
    case TState::ksSizeLF:
        if (c == '\n')
            SizeLineEnded();
        else
            FState = TState::ksBroken;
        return;
    case TState::ksDataEnd:
        if (c == '\r')
            FState = TState::ksDataLF;
        else if (c == '\n')
            FState = TState::ksSize;
        else
            FState = TState::ksBroken;
        FDigits = 0;
        FLineLength = 0;
        return;
    case TState::ksDataLF:
        FState = c == '\n' ? TState::ksSize : TState::ksBroken;
        return;
    case TState::ksTrailer:
        if (++FTrailerBytes > kMaxTrailer) {
            FState = TState::ksBroken;
        } else if (c == '\r') {
            FState = TState::ksTrailerLF;
        } else if (c == '\n') {
            FState = FLineLength == 0 ? TState::ksDone : TState::ksTrailer;
            FLineLength = 0;
        } else {
            ++FLineLength;
        }
        return;
    case TState::ksTrailerLF:
        if (c != '\n') {
            FState = TState::ksBroken;
            return;
        }
        FState = FLineLength == 0 ? TState::ksDone : TState::ksTrailer;
        FLineLength = 0;
        return;
    case TState::ksData:
    case TState::ksDone:
    case TState::ksBroken:
        return;
    }
}

} // namespace vorlin
