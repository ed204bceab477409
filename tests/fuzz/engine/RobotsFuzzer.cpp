// Feeds arbitrary bytes to the robots.txt parser and matches a few paths,
// among them ones the file itself names.
#include "engine/RobotsRules.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    vorlin::TRobotsRules rules = vorlin::TRobotsRules::Parse(text, "HTTPVorlin");
    std::string rule;
    for (const char* path : {"/", "/index.html", "/a/b/c.pdf?x=1", "/%E4%B8%AD"}) rules.Allowed(path, &rule);
    rules.Allowed(text.substr(0, 256), &rule);
    return 0;
}
