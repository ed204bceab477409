// A mask and a text, separated by the first NUL byte: compiling either
// succeeds or raises EMaskException, and matching always ends.
#include "rules/Mask.h"
#include "rules/Match.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    size_t split = input.find('\0');
    std::string_view mask = input.substr(0, split);
    std::string_view text = split == std::string_view::npos ? std::string_view() : input.substr(split + 1);
    try {
        vorlin::TMask m(mask);
        m.IsMatch(text);
    } catch (const vorlin::EMaskException&) {
    }
    vorlin::TMatch match;
    match.Pattern = std::string(mask);
    match.Source = std::string(text);
    match.IsMatch();
    return 0;
}
