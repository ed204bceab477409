#include "rules/ComStream.h"
#include "rules/PluginStrings.h"

#include <gtest/gtest.h>

using namespace vorlin;
using namespace vorlin_sdk;

TEST(PluginStrings, RoundTripAndMalformedInput) {
    std::string text = "Gr\xc3\xbc\xc3\x9f" "e \xf0\x9f\x98\x80";
    TBstr b(text);
    EXPECT_EQ(VorlinStringLen(b.Get()), 8u);  // the surrogate pair counts two
    EXPECT_EQ(b.Utf8(), text);
    // Invalid bytes and truncated sequences become U+FFFD, never a crash.
    EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16("a\xff" "b\xe2\x82")), "a\xef\xbf\xbd" "b\xef\xbf\xbd");
    EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16("\xc0\xaf")), "\xef\xbf\xbd\xef\xbf\xbd");
    std::u16string lone = {u'x', static_cast<char16_t>(0xD800)};
    EXPECT_EQ(Utf16ToUtf8(lone), "x\xef\xbf\xbd");
    EXPECT_EQ(BstrToUtf8(nullptr), "");
}

// The conversions write into storage sized for the worst case and cut it
// afterwards: the results must have exactly their own length.
TEST(PluginStrings, ResultsHaveExactlyTheirLength) {
    TBstr empty("");
    ASSERT_NE(empty.Get(), nullptr);
    EXPECT_EQ(VorlinStringLen(empty.Get()), 0u);
    TBstr ascii("<a href=x>");
    EXPECT_EQ(VorlinStringLen(ascii.Get()), 10u);
    EXPECT_EQ(ascii.Get()[10], 0);
    TBstr euro("\xe2\x82\xac\xe2\x82\xac");  // 6 bytes, 2 units
    EXPECT_EQ(VorlinStringLen(euro.Get()), 2u);
    EXPECT_EQ(euro.Get()[2], 0);
    EXPECT_EQ(euro.Utf8(), "\xe2\x82\xac\xe2\x82\xac");
    // Every unit at its largest UTF-8 form: three bytes each.
    std::u16string wide = {0x0800, 0xFFFF, static_cast<char16_t>(0xDC00), u'a'};
    EXPECT_EQ(Utf16ToUtf8(wide), "\xe0\xa0\x80\xef\xbf\xbf\xef\xbf\xbd" "a");
    EXPECT_EQ(Utf8ToUtf16("\xf0\x9f\x98\x80z"), (std::u16string{0xD83D, 0xDE00, u'z'}));
    // Long ASCII runs are taken in blocks; a sequence inside or at the end of one still counts.
    EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16("abcdefgh\xc3\xbcijklmnopqrstu\xff")), "abcdefgh\xc3\xbcijklmnopqrstu\xef\xbf\xbd");
    EXPECT_EQ(Utf8ToUtf16("0123456789abcdef").size(), 16u);
}

TEST(PluginStrings, NonAsciiAnywhereInALongTextConvertsExactly) {
    // The ASCII runs are converted in blocks: a multi-byte character at any
    // offset, also across a block's end, must come out whole.
    for (size_t at = 0; at < 40; ++at) {
        std::string text(48, 'a');
        text.insert(at, "\xC3\xBC\xE2\x82\xAC\xF0\x9F\x98\x80");
        std::u16string wide = Utf8ToUtf16(text);
        ASSERT_EQ(wide.size(), 48u + 4u) << at;
        EXPECT_EQ(wide[at], u'\u00FC') << at;
        EXPECT_EQ(wide[at + 1], u'\u20AC') << at;
        EXPECT_EQ(Utf16ToUtf8(wide), text) << at;
    }
}

TEST(PluginStrings, AReusedBufferHoldsExactlyTheLatestText) {
    TBstrBuffer buffer;
    BSTR first = buffer.Set("a fairly long tag text, longer than the smallest buffer would be....");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(BstrToUtf8(first), "a fairly long tag text, longer than the smallest buffer would be....");
    // Shorter text in the same buffer: the length and terminator follow it.
    BSTR second = buffer.Set("ab");
    EXPECT_EQ(second, first);
    EXPECT_EQ(VorlinStringLen(second), 2u);
    EXPECT_EQ(second[2], 0);
    EXPECT_EQ(BstrToUtf8(second), "ab");
    // Non-ASCII text takes fewer units than bytes; empty text is an empty string, not null.
    BSTR third = buffer.Set("\xC3\xA4\xE2\x82\xAC");
    EXPECT_EQ(VorlinStringLen(third), 2u);
    EXPECT_EQ(third[0], u'\u00E4');
    EXPECT_EQ(third[1], u'\u20AC');
    BSTR empty = buffer.Set("");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(VorlinStringLen(empty), 0u);
    // Growing keeps the text whole.
    std::string big(100000, 'x');
    EXPECT_EQ(BstrToUtf8(buffer.Set(big)), big);
}

TEST(ComStream, ReadsWritesAndSeeksTheWrappedStream) {
    TMemoryStream m;
    TComStream* s = TComStream::Create(m);
    uint32_t n = 0;
    EXPECT_EQ(s->Write("abcdef", 6, &n), S_OK);
    EXPECT_EQ(n, 6u);
    uint64_t pos = 0;
    EXPECT_EQ(s->Seek(2, STREAM_SEEK_SET, &pos), S_OK);
    char buf[8] = {};
    EXPECT_EQ(s->Read(buf, 8, &n), S_FALSE);  // short read
    EXPECT_EQ(std::string(buf, n), "cdef");
    STATSTG_SIZE st{};
    EXPECT_EQ(s->Stat(&st, 0), S_OK);
    EXPECT_EQ(st.Size, 6u);
    EXPECT_EQ(s->Seek(0, 99, nullptr), E_INVALIDARG);
    void* other = nullptr;
    EXPECT_EQ(s->QueryInterface(IID_IStream, &other), S_OK);
    EXPECT_EQ(s->Release(), 1u);
    EXPECT_EQ(s->Release(), 0u);
    EXPECT_EQ(m.ToString(), "abcdef");  // the wrapped stream outlives the wrapper
}
