// Feeds arbitrary bytes to the HTTP client with persistent connections on:
// the header routine, then the framing of the body (a length, the chunked
// coding with extensions and trailers, no body), and the answers after it
// on the same connection. The first byte picks the read sizes and whether
// the request was a HEAD. No connection, no TLS: the bytes as they would
// come out of either.
#include "net/HttpCli.h"
#include "platform/Exception.h"
#include "platform/MessageQueue.h"
#include "platform/Stream.h"

#include <cstddef>
#include <cstdint>

namespace {

class TFuzzClient : public vorlin::THttpCli {
public:
    using THttpCli::BeginResponseForTest;
    using THttpCli::AnswerCompleteForTest;
    using THttpCli::DeliverReceived;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const uint8_t mode = data[0];
    ++data;
    --size;
    TFuzzClient client;
    client.KeepAlive = true;
    vorlin::TMemoryStream body;
    client.ReceiveStream = &body;
    client.OnLocationChange = [](vorlin::THttpCli&, bool& redirect) { redirect = false; };
    const vorlin::THttpRequest kind = (mode & 0x80) ? vorlin::THttpRequest::hrHead : vorlin::THttpRequest::hrGet;
    client.BeginResponseForTest(kind);
    const size_t step = 1 + (mode & 0x7F) * 29;
    size_t at = 0;
    int stuck = 0;
    int answers = 0;
    while (at < size && stuck < 2 && answers < 64) {
        size_t n = size - at < step ? size - at : step;
        try {
            int used = client.DeliverReceived(reinterpret_cast<const char*>(data + at), static_cast<int>(n));
            at += static_cast<size_t>(used > 0 ? used : 0);
            stuck = used > 0 ? 0 : stuck + 1;
        } catch (const vorlin::Exception&) {
            ++stuck;
        }
        // An answer read to its end: the next one follows on the connection.
        if (client.AnswerCompleteForTest()) {
            ++answers;
            body.SetSize(0);
            client.BeginResponseForTest(kind);
        }
    }
    // What the client posted to itself is of no use without a loop: drop it,
    // so the queue does not grow from run to run.
    vorlin::TMsg pending;
    while (vorlin::PeekMessage(pending)) {
    }
    return 0;
}
