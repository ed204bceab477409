// The frames between programs: what a well-behaved peer sends comes through,
// and every way of lying about a frame is refused before it is believed.
#include "platform/InterProcessWire.h"

#include <gtest/gtest.h>

using namespace vorlin::ipc;

namespace {

std::string Header(const char* magic, uint8_t version, uint8_t kind, uint32_t length) {
    std::string h(magic, 4);
    h += static_cast<char>(version);
    h += static_cast<char>(kind);
    h += std::string(2, '\0');
    for (int i = 0; i < 4; ++i) h += static_cast<char>((length >> (8 * i)) & 0xFF);
    return h;
}

TParse Decode(const std::string& bytes) {
    TRequest request;
    size_t used = 0;
    return DecodeRequest(bytes, request, used);
}

} // namespace

TEST(InterProcessWire, RequestsAndTheirBodiesComeThroughWhole) {
    TPostBody post{7, 0xC123, 0xFFFFFFFFFFFFFFFFull, -5};
    std::string frame = EncodeRequest(TRequest{TOp::opPost, EncodePost(post)});
    // Every prefix is only incomplete, never mistaken for a frame.
    for (size_t n = 0; n < frame.size(); ++n) EXPECT_EQ(Decode(frame.substr(0, n)), TParse::psIncomplete) << n;
    TRequest request;
    size_t used = 0;
    ASSERT_EQ(DecodeRequest(frame + "tail", request, used), TParse::psComplete);
    EXPECT_EQ(used, frame.size());
    TPostBody back;
    ASSERT_TRUE(DecodePost(request.Body, back));
    EXPECT_EQ(back.Window, 7u);
    EXPECT_EQ(back.Message, 0xC123u);
    EXPECT_EQ(back.WParam, 0xFFFFFFFFFFFFFFFFull);
    EXPECT_EQ(back.LParam, -5);

    TCopyDataBody data{9, 0x1234567890ull, 3, std::string("/Projects/a\0", 12)};
    TCopyDataBody copy;
    ASSERT_TRUE(DecodeCopyData(EncodeCopyData(data), copy));
    EXPECT_EQ(copy.Window, 9u);
    EXPECT_EQ(copy.Sender, 0x1234567890ull);
    EXPECT_EQ(copy.Tag, 3u);
    EXPECT_EQ(copy.Data, data.Data);

    TReply reply;
    ASSERT_EQ(DecodeReply(EncodeReply(TReply{TStatus::stOk, "Title"}), reply, used), TParse::psComplete);
    EXPECT_EQ(reply.Status, TStatus::stOk);
    EXPECT_EQ(reply.Body, "Title");
}

TEST(InterProcessWire, MalformedHeadersAreRefusedAsSoonAsTheyShow) {
    EXPECT_EQ(Decode("X"), TParse::psBad) << "a wrong magic needs no more bytes";
    EXPECT_EQ(Decode(Header("VIPC", 2, 1, 0)), TParse::psBad) << "version";
    EXPECT_EQ(Decode(Header("VIPC", 1, 99, 0)), TParse::psBad) << "unknown request";
    std::string reserved = Header("VIPC", 1, 1, 0);
    reserved[6] = 1;
    EXPECT_EQ(Decode(reserved), TParse::psBad) << "reserved bytes";
    EXPECT_EQ(Decode(Header("VIPR", 1, 1, 0)), TParse::psBad) << "a reply is no request";
    // A huge length is refused on the header alone: nothing waits for the body.
    EXPECT_EQ(Decode(Header("VIPC", 1, static_cast<uint8_t>(TOp::opCopyData), 0xFFFFFFFFu)), TParse::psBad);
    EXPECT_EQ(Decode(Header("VIPC", 1, static_cast<uint8_t>(TOp::opCopyData), kMaxBody + 1)), TParse::psBad);
    // Fixed-size requests can't announce more than they hold.
    EXPECT_EQ(Decode(Header("VIPC", 1, static_cast<uint8_t>(TOp::opPost), 25)), TParse::psBad);
    EXPECT_EQ(Decode(Header("VIPC", 1, static_cast<uint8_t>(TOp::opHello), 1)), TParse::psBad);
    EXPECT_EQ(Decode(Header("VIPC", 1, static_cast<uint8_t>(TOp::opHoldsAtom), kMaxName + 1)), TParse::psBad);

    TReply reply;
    size_t used = 0;
    EXPECT_EQ(DecodeReply(Header("VIPR", 1, 7, 0), reply, used), TParse::psBad) << "unknown status";
    EXPECT_EQ(DecodeReply(Header("VIPR", 1, 0, kMaxTitle + 1), reply, used), TParse::psBad);
}

TEST(InterProcessWire, BodiesOfTheWrongSizeAreRefused) {
    TPostBody post;
    EXPECT_FALSE(DecodePost(std::string(23, '\0'), post));
    EXPECT_FALSE(DecodePost(std::string(25, '\0'), post));
    uint32_t id = 0;
    EXPECT_FALSE(DecodeWindowId("abc", id));
    TCopyDataBody data;
    EXPECT_FALSE(DecodeCopyData(std::string(19, '\0'), data));
    EXPECT_FALSE(DecodeCopyData(std::string(20 + kMaxCopyData + 1, '\0'), data));
    EXPECT_TRUE(DecodeCopyData(std::string(20, '\0'), data)) << "an empty block is fine";
}
