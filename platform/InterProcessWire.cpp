#include "platform/InterProcessWire.h"

#include <cstring>

namespace vorlin::ipc {

namespace {

constexpr char kRequestMagic[4] = {'V', 'I', 'P', 'C'};
constexpr char kReplyMagic[4] = {'V', 'I', 'P', 'R'};

void PutU32(std::string& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}
void PutU64(std::string& out, uint64_t v) {
    for (int i = 0; i < 8; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}
uint32_t GetU32(std::string_view in, size_t at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(in[at + static_cast<size_t>(i)]);
    return v;
}
uint64_t GetU64(std::string_view in, size_t at) {
    uint64_t v = 0;
    for (int i = 7; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(in[at + static_cast<size_t>(i)]);
    return v;
}

std::string Frame(const char (&magic)[4], uint8_t kind, const std::string& body) {
    std::string out(magic, 4);
    out += static_cast<char>(kWireVersion);
    out += static_cast<char>(kind);
    out += std::string(2, '\0');
    PutU32(out, static_cast<uint32_t>(body.size()));
    out += body;
    return out;
}

// The largest body a request of this kind may carry; 0 with known = false
// for a kind nobody defined.
uint32_t MaxRequestBody(uint8_t op, bool& known) {
    known = true;
    switch (static_cast<TOp>(op)) {
    case TOp::opHello: return 0;
    case TOp::opHoldsAtom: return kMaxName;
    case TOp::opQueryWindow: return 4;
    case TOp::opPost: return 24;
    case TOp::opCopyData: return kMaxBody;
    }
    known = false;
    return 0;
}

// Checks the common header; fills kind and body length.
TParse ParseHeader(std::string_view bytes, const char (&magic)[4], uint8_t& kind, uint32_t& length) {
    // Refuse a wrong magic as soon as its bytes are in, not only once a whole
    // header has arrived.
    const size_t have = bytes.size() < 4 ? bytes.size() : 4;
    if (std::memcmp(bytes.data(), magic, have) != 0) return TParse::psBad;
    if (bytes.size() < kHeaderSize) return TParse::psIncomplete;
    if (static_cast<uint8_t>(bytes[4]) != kWireVersion || bytes[6] != 0 || bytes[7] != 0) return TParse::psBad;
    kind = static_cast<uint8_t>(bytes[5]);
    length = GetU32(bytes, 8);
    return TParse::psComplete;
}

} // namespace

std::string EncodeRequest(const TRequest& request) {
    return Frame(kRequestMagic, static_cast<uint8_t>(request.Op), request.Body);
}

std::string EncodeReply(const TReply& reply) {
    return Frame(kReplyMagic, static_cast<uint8_t>(reply.Status), reply.Body);
}

TParse DecodeRequest(std::string_view bytes, TRequest& request, size_t& used) {
    uint8_t op = 0;
    uint32_t length = 0;
    TParse header = ParseHeader(bytes, kRequestMagic, op, length);
    if (header != TParse::psComplete) return header;
    bool known = false;
    if (length > MaxRequestBody(op, known) || !known) return TParse::psBad;
    if (bytes.size() < kHeaderSize + length) return TParse::psIncomplete;
    request.Op = static_cast<TOp>(op);
    request.Body.assign(bytes.substr(kHeaderSize, length));
    used = kHeaderSize + length;
    return TParse::psComplete;
}

TParse DecodeReply(std::string_view bytes, TReply& reply, size_t& used) {
    uint8_t status = 0;
    uint32_t length = 0;
    TParse header = ParseHeader(bytes, kReplyMagic, status, length);
    if (header != TParse::psComplete) return header;
    if (status > static_cast<uint8_t>(TStatus::stRefused) || length > kMaxTitle) return TParse::psBad;
    if (bytes.size() < kHeaderSize + length) return TParse::psIncomplete;
    reply.Status = static_cast<TStatus>(status);
    reply.Body.assign(bytes.substr(kHeaderSize, length));
    used = kHeaderSize + length;
    return TParse::psComplete;
}

std::string EncodeWindowId(uint32_t window) {
    std::string out;
    PutU32(out, window);
    return out;
}

bool DecodeWindowId(std::string_view body, uint32_t& window) {
    if (body.size() != 4) return false;
    window = GetU32(body, 0);
    return true;
}

std::string EncodePost(const TPostBody& post) {
    std::string out;
    PutU32(out, post.Window);
    PutU32(out, post.Message);
    PutU64(out, post.WParam);
    PutU64(out, static_cast<uint64_t>(post.LParam));
    return out;
}

bool DecodePost(std::string_view body, TPostBody& post) {
    if (body.size() != 24) return false;
    post.Window = GetU32(body, 0);
    post.Message = GetU32(body, 4);
    post.WParam = GetU64(body, 8);
    post.LParam = static_cast<int64_t>(GetU64(body, 16));
    return true;
}

std::string EncodeCopyData(const TCopyDataBody& data) {
    std::string out;
    PutU32(out, data.Window);
    PutU64(out, data.Sender);
    PutU64(out, data.Tag);
    out += data.Data;
    return out;
}

bool DecodeCopyData(std::string_view body, TCopyDataBody& data) {
    if (body.size() < 20 || body.size() - 20 > kMaxCopyData) return false;
    data.Window = GetU32(body, 0);
    data.Sender = GetU64(body, 4);
    data.Tag = GetU64(body, 12);
    data.Data.assign(body.substr(20));
    return true;
}

} // namespace vorlin::ipc
