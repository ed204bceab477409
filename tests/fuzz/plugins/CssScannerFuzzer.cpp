// Arbitrary bytes as a style sheet and as a tag's text for the style-sheet
// plugin's scanner: nothing may crash or hang, and every reference found
// must lie inside the input.
#include "CssScanner.h"

#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const css_plugin::TCssReference& ref : css_plugin::ScanCss(text))
        if (ref.ValueStart > size || ref.ValueLength > size - ref.ValueStart) std::abort();
    css_plugin::StyleAttributeValue(text);
    return 0;
}
