// The chunked decoder on whole bodies, fed in one piece and byte by byte.
#include "net/ChunkedDecoder.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

using vorlin::TChunkedDecoder;

namespace {

struct TChunkedCase {
    const char* Name;
    std::string Input;
    TChunkedDecoder::TResult Result;
    std::string Body;   // what the sink received
    size_t Rest = 0;    // bytes left after the body
};

struct TOutcome {
    TChunkedDecoder::TResult Result = TChunkedDecoder::TResult::crMore;
    std::string Body;
    size_t Rest = 0;
};

TOutcome Decode(const std::string& input, size_t piece) {
    TChunkedDecoder decoder;
    TOutcome outcome;
    size_t at = 0;
    while (at < input.size()) {
        size_t len = std::min(piece, input.size() - at);
        size_t used = 0;
        outcome.Result = decoder.Feed(input.data() + at, len, used,
                                      [&](const char* p, size_t n) { outcome.Body.append(p, n); });
        at += used;
        if (outcome.Result != TChunkedDecoder::TResult::crMore) break;
    }
    outcome.Rest = input.size() - at;
    return outcome;
}

// Test names say the case; gtest need not print its bytes.
void PrintTo(const TChunkedCase& c, std::ostream* os) { *os << c.Name; }

class ChunkedDecoding : public ::testing::TestWithParam<TChunkedCase> {};

} // namespace

TEST_P(ChunkedDecoding, GivesTheSameBodyInOnePieceAndByteByByte) {
    const TChunkedCase& c = GetParam();
    for (size_t piece : {c.Input.size() + 1, size_t{1}, size_t{3}}) {
        TOutcome outcome = Decode(c.Input, piece);
        EXPECT_EQ(outcome.Result, c.Result) << "pieces of " << piece;
        if (c.Result == TChunkedDecoder::TResult::crBroken) continue;
        EXPECT_EQ(outcome.Body, c.Body) << "pieces of " << piece;
        EXPECT_EQ(outcome.Rest, c.Rest) << "pieces of " << piece;
    }
}

using R = TChunkedDecoder::TResult;

INSTANTIATE_TEST_SUITE_P(
    Bodies, ChunkedDecoding,
    ::testing::Values(
        TChunkedCase{"Plain", "5\r\nhello\r\n6\r\n world\r\n0\r\n\r\n", R::crDone, "hello world"},
        TChunkedCase{"UpperAndLowerHex", "A\r\n0123456789\r\nb\r\nabcdefghijk\r\n0\r\n\r\n", R::crDone,
                     "0123456789abcdefghijk"},
        TChunkedCase{"Extensions", "5;name=value;x\r\nhello\r\n0;last\r\n\r\n", R::crDone, "hello"},
        TChunkedCase{"BlankBeforeExtension", "5 ;a=b\r\nhello\r\n0\r\n\r\n", R::crDone, "hello"},
        TChunkedCase{"Trailers", "3\r\nabc\r\n0\r\nExpires: never\r\nX-Check: 1\r\n\r\n", R::crDone, "abc"},
        TChunkedCase{"BareLineFeeds", "3\nabc\n0\n\n", R::crDone, "abc"},
        TChunkedCase{"BytesAfterTheBody", "1\r\nx\r\n0\r\n\r\nHTTP/1.1 200", R::crDone, "x", 12},
        TChunkedCase{"LeadingZeros", "0005\r\nhello\r\n000\r\n\r\n", R::crDone, "hello"},
        TChunkedCase{"NotYetEnded", "5\r\nhel", R::crMore, "hel"},
        TChunkedCase{"NoDigits", ";ext\r\nx\r\n", R::crBroken, ""},
        TChunkedCase{"NotHex", "5g\r\nhello\r\n", R::crBroken, ""},
        TChunkedCase{"DataNotFollowedByLineEnd", "2\r\nabc\r\n0\r\n\r\n", R::crBroken, ""},
        TChunkedCase{"SizeOverflows", "10000000000000000\r\n", R::crBroken, ""},
        TChunkedCase{"SizeLineTooLong", "5;" + std::string(TChunkedDecoder::kMaxSizeLine, 'e') + "\r\nhello\r\n",
                     R::crBroken, ""},
        TChunkedCase{"TrailerTooLong", "0\r\nX: " + std::string(TChunkedDecoder::kMaxTrailer, 't') + "\r\n\r\n",
                     R::crBroken, ""}),
    [](const auto& info) { return std::string(info.param.Name); });
