#include "project/TaggedStream.h"

#include "platform/Stream.h"

#include "tests/project/TestFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace vorlin;

namespace {

template <typename Write> std::string Written(Write write) {
    TMemoryStream out;
    TTaggedWriter w(out);
    write(w);
    w.Flush();
    return out.ToString();
}

TMemoryStream StreamOf(const std::string& bytes) {
    TMemoryStream in;
    in.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    in.SetPosition(0);
    return in;
}

std::string ReadErrorOf(const std::string& bytes, void (*read)(TTaggedReader&)) {
    TMemoryStream in = StreamOf(bytes);
    TTaggedReader r(in);
    try {
        read(r);
    } catch (const ETaggedReadError& e) {
        return e.Message();
    }
    return "no error";
}

} // namespace

TEST(TaggedWriter, IntegersTakeTheSmallestTag) {
    EXPECT_EQ(Written([](TTaggedWriter& w) { w.WriteInteger(0); }), Bytes({2, 0}));
    EXPECT_EQ(Written([](TTaggedWriter& w) { w.WriteInteger(-128); }), Bytes({2, 0x80}));
    EXPECT_EQ(Written([](TTaggedWriter& w) { w.WriteInteger(127); }), Bytes({2, 0x7F}));
    EXPECT_EQ(Written([](TTaggedWriter& w) { w.WriteInteger(128); }), Bytes({3, 0x80, 0}));
    EXPECT_EQ(Written([](TTaggedWriter& w) { w.WriteInteger(-32768); }), Bytes({3, 0, 0x80}));
    EXPECT_EQ(Written([](TTaggedWriter& w) { w.WriteInteger(32768); }), Bytes({4, 0, 0x80, 0, 0}));
    EXPECT_EQ(Written([](TTaggedWriter& w) { w.WriteInteger(INT32_MIN); }),
              Bytes({4, 0, 0, 0, 0x80}));
}

TEST(TaggedWriter, StringsBooleansListsAndDates) {
    EXPECT_EQ(Written([](TTaggedWriter& w) { w.WriteString("ab"); }), Bytes({6, 2, 'a', 'b'}));
    EXPECT_EQ(Written([](TTaggedWriter& w) { w.WriteString(""); }), Bytes({6, 0}));
    std::string s255(255, 'x'), s256(256, 'y');
    EXPECT_EQ(Written([&](TTaggedWriter& w) { w.WriteString(s255); }), Bytes({6, 255}) + s255);
    EXPECT_EQ(Written([&](TTaggedWriter& w) { w.WriteString(s256); }),
              Bytes({12, 0, 1, 0, 0}) + s256);
    EXPECT_EQ(Written([](TTaggedWriter& w) {
                  w.WriteListBegin();
                  w.WriteBoolean(true);
                  w.WriteBoolean(false);
                  w.WriteListEnd();
              }),
              Bytes({1, 9, 8, 0}));
    // 1.5 days: 0x3FF8000000000000.
    EXPECT_EQ(Written([](TTaggedWriter& w) { w.WriteDate(1.5); }),
              Bytes({17, 0, 0, 0, 0, 0, 0, 0xF8, 0x3F}));
}

TEST(TaggedWriter, FloatsAreExtendedNearestTheirDecimalForm) {
    EXPECT_EQ(Written([](TTaggedWriter& w) { w.WriteFloat(0.97); }),
              Bytes({5, 0xEC, 0x51, 0xB8, 0x1E, 0x85, 0xEB, 0x51, 0xF8, 0xFE, 0x3F}));
    EXPECT_EQ(Written([](TTaggedWriter& w) { w.WriteFloat(1.0); }),
              Bytes({5, 0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}));
    EXPECT_EQ(Written([](TTaggedWriter& w) { w.WriteFloat(-0.1); }),
              Bytes({5, 0xCD, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xFB, 0xBF}));
}

// Hands out at most Step bytes per Read, so that values straddle the
// reader's refills wherever they fall.
class TTrickleStream : public TMemoryStream {
public:
    explicit TTrickleStream(size_t step) : FStep(step) {}
    int64_t Read(void* buffer, int64_t count) override {
        return TMemoryStream::Read(buffer, std::min<int64_t>(count, static_cast<int64_t>(FStep)));
    }

private:
    size_t FStep;
};

TEST(TaggedWriter, LongDataPassesThroughTheBuffer) {
    std::string big(40000, 'z');
    std::string bytes = Written([&](TTaggedWriter& w) {
        for (int i = 0; i < 7000; ++i) w.WriteInteger(1000 + i % 7);
        w.WriteString(big);
        w.WriteString("after");
        w.WriteDate(36526.25);
    });
    ASSERT_EQ(bytes.size(), 7000u * 3 + 5 + big.size() + 7 + 9);
    for (size_t step : {size_t{1}, size_t{5}, size_t{4093}, size_t{1} << 20}) {
        TTrickleStream in(step);
        in.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
        in.SetPosition(0);
        TTaggedReader r(in);
        for (int i = 0; i < 7000; ++i) ASSERT_EQ(r.ReadInteger(), 1000 + i % 7) << step;
        EXPECT_EQ(r.ReadString(), big) << step;
        EXPECT_EQ(r.ReadString(), "after") << step;
        EXPECT_EQ(r.ReadDate(), 36526.25) << step;
        EXPECT_EQ(r.Position(), static_cast<int64_t>(bytes.size())) << step;
        // Past the end, the error names the byte counted across every refill.
        try {
            r.ReadInteger();
            ADD_FAILURE() << step;
        } catch (const ETaggedReadError& e) {
            EXPECT_EQ(e.Message(), "Unexpected end of the stored data at byte " + std::to_string(bytes.size()) +
                                       " (reading an integer)")
                << step;
        }
    }
}

TEST(TaggedReader, ReadsEveryKindBack) {
    std::string bytes = Written([](TTaggedWriter& w) {
        w.WriteInteger(-5);
        w.WriteInteger(-300);
        w.WriteInteger(100000);
        w.WriteString(std::string(300, 'q'));
        w.WriteBoolean(true);
        w.WriteFloat(0.96);
        w.WriteDate(36526.25);
        w.WriteListBegin();
        w.WriteString("x");
        w.WriteListEnd();
    });
    TMemoryStream in = StreamOf(bytes);
    TTaggedReader r(in);
    EXPECT_EQ(r.ReadInteger(), -5);
    EXPECT_EQ(r.ReadInteger(), -300);
    EXPECT_EQ(r.ReadInteger(), 100000);
    EXPECT_EQ(r.ReadString(), std::string(300, 'q'));
    EXPECT_TRUE(r.ReadBoolean());
    EXPECT_EQ(r.ReadFloat(), 0.96);
    EXPECT_EQ(r.ReadDate(), 36526.25);
    r.ReadListBegin();
    EXPECT_FALSE(r.EndOfList());
    EXPECT_EQ(r.ReadString(), "x");
    EXPECT_TRUE(r.EndOfList());
    r.ReadListEnd();
    EXPECT_THROW(r.NextTag(), ETaggedReadError);
}

TEST(TaggedReader, WrongTagsAndTheEndOfDataAreReadErrors) {
    EXPECT_EQ(ReadErrorOf(Bytes({6, 1, 'a'}), [](TTaggedReader& r) { r.ReadInteger(); }),
              "Invalid stored value at byte 0: expected an integer, found tag 6");
    EXPECT_EQ(ReadErrorOf(Bytes({9, 2, 1}), [](TTaggedReader& r) {
                  r.ReadBoolean();
                  r.ReadString();
              }),
              "Invalid stored value at byte 1: expected a string, found tag 2");
    EXPECT_EQ(ReadErrorOf(Bytes({4, 1, 2}), [](TTaggedReader& r) { r.ReadInteger(); }),
              "Unexpected end of the stored data at byte 3 (reading an integer)");
    EXPECT_EQ(ReadErrorOf("", [](TTaggedReader& r) { r.ReadBoolean(); }),
              "Unexpected end of the stored data at byte 0 (reading a boolean)");
    EXPECT_EQ(ReadErrorOf(Bytes({6, 5, 'a', 'b'}), [](TTaggedReader& r) { r.ReadString(); }),
              "Unexpected end of the stored data at byte 4 (reading a string)");
    // A float is tag 5 only; a date tag 17 only.
    EXPECT_NE(ReadErrorOf(Bytes({2, 1}), [](TTaggedReader& r) { r.ReadFloat(); }), "no error");
    EXPECT_NE(ReadErrorOf(Bytes({5, 0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}),
                          [](TTaggedReader& r) { r.ReadDate(); }),
              "no error");
    EXPECT_NE(ReadErrorOf(Bytes({0}), [](TTaggedReader& r) { r.ReadListBegin(); }), "no error");
}

TEST(TaggedReader, AHugeStringLengthFailsWithoutAllocatingIt) {
    // Claims 2 GB, holds three bytes.
    std::string bytes = Bytes({12, 0, 0, 0, 0x7F, 'a', 'b', 'c'});
    EXPECT_NE(ReadErrorOf(bytes, [](TTaggedReader& r) { r.ReadString(); }), "no error");
    // Within the limit but past the end of the data.
    bytes = Bytes({12, 0, 0, 0x10, 0, 'a'});
    EXPECT_NE(ReadErrorOf(bytes, [](TTaggedReader& r) { r.ReadString(); }).find("end of the stored"),
              std::string::npos);
}

TEST(TaggedReader, SyncStreamPositionRewindsTheReadAhead) {
    TMemoryStream in = StreamOf(Bytes({2, 7, 2, 8, 2, 9}));
    TTaggedReader r(in);
    EXPECT_EQ(r.ReadInteger(), 7);
    r.SyncStreamPosition();
    EXPECT_EQ(in.Position(), 2);
    // Reading on after the rewind counts on from there.
    EXPECT_EQ(r.ReadInteger(), 8);
    EXPECT_EQ(r.Position(), 4);
    r.SyncStreamPosition();
    EXPECT_EQ(in.Position(), 4);
}

TEST(Extended80, ConvertsBitByBit) {
    for (double d : {0.0, 1.0, -2.5, 0.97, 1e300, -1e-300, 4.9e-324, 2.2250738585072014e-308,
                     std::numeric_limits<double>::max()}) {
        EXPECT_EQ(ExtendedToDouble(DoubleToExtended(d)), d) << d;
        EXPECT_EQ(ExtendedToDouble(NearestExtendedOf(d)), d) << d;
    }
    EXPECT_TRUE(std::signbit(ExtendedToDouble(DoubleToExtended(-0.0))));
    EXPECT_EQ(ExtendedToDouble(DoubleToExtended(INFINITY)), INFINITY);
    EXPECT_TRUE(std::isnan(ExtendedToDouble(DoubleToExtended(NAN))));

    // The extended 0.97 rounds to the double 0.97.
    EXPECT_EQ(ExtendedToDouble(ExtendedFromRatio(97, 100)), 0.97);
    // Beyond the double's range: infinity; below it: zero.
    TExtended80 huge = {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFE, 0x7F};
    EXPECT_EQ(ExtendedToDouble(huge), INFINITY);
    TExtended80 tiny = {0, 0, 0, 0, 0, 0, 0, 0x80, 0x01, 0x00};
    EXPECT_EQ(ExtendedToDouble(tiny), 0.0);
    // Ties round to even: 1 + 2^-53 is halfway between 1 and the next double.
    TExtended80 tie = {0, 0x04, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F};
    EXPECT_EQ(ExtendedToDouble(tie), 1.0);
    TExtended80 aboveTie = {1, 0x04, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F};
    EXPECT_EQ(ExtendedToDouble(aboveTie), 1.0 + std::ldexp(1.0, -52));
    // An unnormal (integer bit clear) still has its value.
    TExtended80 unnormal = {0, 0, 0, 0, 0, 0, 0, 0x40, 0xFF, 0x3F};
    EXPECT_EQ(ExtendedToDouble(unnormal), 0.5);
}
