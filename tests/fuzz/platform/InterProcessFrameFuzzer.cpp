// Arbitrary bytes as a frame between programs, as the server and the
// client of the inter-program layer decode them: header, then each body.
#include "platform/InterProcessWire.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

using namespace vorlin::ipc;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    TRequest request;
    size_t used = 0;
    if (DecodeRequest(bytes, request, used) == TParse::psComplete) {
        if (used > size) __builtin_trap();
        uint32_t id = 0;
        TPostBody post;
        TCopyDataBody copy;
        switch (request.Op) {
        case TOp::opQueryWindow: DecodeWindowId(request.Body, id); break;
        case TOp::opPost: DecodePost(request.Body, post); break;
        case TOp::opCopyData:
            if (DecodeCopyData(request.Body, copy) && copy.Data.size() > kMaxCopyData) __builtin_trap();
            break;
        default: break;
        }
    }
    TReply reply;
    if (DecodeReply(bytes, reply, used) == TParse::psComplete && reply.Body.size() > kMaxTitle) __builtin_trap();
    return 0;
}
