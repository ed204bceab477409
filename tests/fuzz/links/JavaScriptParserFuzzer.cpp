// Arbitrary bytes as script code for the script link scanner.
#include "links/JavaScriptParser.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vorlin::TJavaScriptParser js;
    js.Source.assign(reinterpret_cast<const char*>(data), size);
    js.Parse();
    for (const std::string& link : js.Links)
        if (link.size() > size) __builtin_trap(); // a link comes out of the source
    return 0;
}
