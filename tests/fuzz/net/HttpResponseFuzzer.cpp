// Feeds arbitrary bytes to the HTTP client's header-line and body routines,
// in reads of varying size, as a server could send them. The first byte
// picks the read sizes and whether a proxy is set.
#include "net/HttpCli.h"
#include "platform/Exception.h"
#include "platform/Stream.h"

#include <cstddef>
#include <cstdint>

namespace {

class TFuzzClient : public vorlin::THttpCli {
public:
    using THttpCli::BeginResponseForTest;
    using THttpCli::DeliverReceived;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const uint8_t mode = data[0];
    ++data;
    --size;
    TFuzzClient client;
    vorlin::TMemoryStream body;
    client.ReceiveStream = &body;
    if (mode & 0x80) client.Proxy = "proxy.test:3128";
    client.OnLocationChange = [](vorlin::THttpCli&, bool& redirect) { redirect = true; };
    client.BeginResponseForTest(vorlin::THttpRequest::hrGet);
    const size_t step = 1 + (mode & 0x7F) * 37;
    size_t at = 0;
    int stuck = 0;
    while (at < size && stuck < 2) {
        size_t n = size - at < step ? size - at : step;
        try {
            int used = client.DeliverReceived(reinterpret_cast<const char*>(data + at), static_cast<int>(n));
            at += static_cast<size_t>(used > 0 ? used : 0);
            stuck = used > 0 ? 0 : stuck + 1;
        } catch (const vorlin::Exception&) {
            // "HTTP line too long" or a value that is not a number: the
            // receive loop ends, the next read goes on.
            ++stuck;
        }
    }
    return 0;
}
