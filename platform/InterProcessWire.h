// The frames that programs of one user exchange over their sockets in the
// runtime directory: one request, one reply, then the connection closes.
// Every field is checked before it is believed, so a peer that sends garbage
// or announces a huge body is refused without harm. The layout is written
// down in platform/README.md.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vorlin::ipc {

constexpr size_t kHeaderSize = 12;
constexpr uint8_t kWireVersion = 1;
// The largest body either side accepts: a WM_COPYDATA block of up to 1 MiB
// plus its 20 bytes of addressing.
constexpr uint32_t kMaxBody = (1u << 20) + 20;
constexpr uint32_t kMaxCopyData = 1u << 20;
constexpr uint32_t kMaxName = 1024;   // atom names
constexpr uint32_t kMaxTitle = 4096;  // window titles

enum class TOp : uint8_t {
    opHello = 1,        // empty body; is a server there at all?
    opHoldsAtom = 2,    // body: the atom's name
    opQueryWindow = 3,  // body: u32 window id; reply body: the title
    opPost = 4,         // body: u32 id, u32 message, u64 wParam, i64 lParam
    opCopyData = 5,     // body: u32 id, u64 sender, u64 tag, then the data
};

enum class TStatus : uint8_t {
    stOk = 0,
    stAbsent = 1,   // no such atom or window (any more)
    stRefused = 2,  // a malformed request
};

struct TRequest {
    TOp Op = TOp::opHello;
    std::string Body;
};

struct TReply {
    TStatus Status = TStatus::stRefused;
    std::string Body;
};

std::string EncodeRequest(const TRequest& request);
std::string EncodeReply(const TReply& reply);

// Parses a frame from the bytes received so far.
enum class TParse { psIncomplete, psComplete, psBad };
// `used` is the length of the frame on psComplete.
TParse DecodeRequest(std::string_view bytes, TRequest& request, size_t& used);
TParse DecodeReply(std::string_view bytes, TReply& reply, size_t& used);

// The fixed-layout bodies.
struct TPostBody {
    uint32_t Window = 0;
    uint32_t Message = 0;
    uint64_t WParam = 0;
    int64_t LParam = 0;
};
struct TCopyDataBody {
    uint32_t Window = 0;
    uint64_t Sender = 0;
    uint64_t Tag = 0;
    std::string Data;
};

std::string EncodeWindowId(uint32_t window);
bool DecodeWindowId(std::string_view body, uint32_t& window);
std::string EncodePost(const TPostBody& post);
bool DecodePost(std::string_view body, TPostBody& post);
std::string EncodeCopyData(const TCopyDataBody& data);
bool DecodeCopyData(std::string_view body, TCopyDataBody& data);

} // namespace vorlin::ipc
