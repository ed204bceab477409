#include "rules/PluginStrings.h"

#include "plugins/sdk/VorlinPluginHelpers.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

// The conversions are the SDK's own, so that the program and the plugins
// built against the SDK treat malformed text alike.
namespace vorlin {

bool IsAscii(std::string_view text) {
    // Eight bytes at a time: asked for every tag a plugin reads attributes of.
    const char* p = text.data();
    const char* const end = p + text.size();
    uint64_t high = 0;
    for (; end - p >= 8; p += 8) {
        uint64_t block;
        std::memcpy(&block, p, 8);
        high |= block;
    }
    for (; p != end; ++p)
        high |= static_cast<unsigned char>(*p);
    return (high & 0x8080808080808080ull) == 0;
}

std::u16string Utf8ToUtf16(std::string_view s) { return vorlin_sdk::VorlinUtf8ToUtf16(s); }

std::string Utf16ToUtf8(std::u16string_view s) { return vorlin_sdk::VorlinUtf16ToUtf8(s); }

vorlin_sdk::BSTR NewBstr(std::string_view utf8) { return vorlin_sdk::VorlinNewString(utf8); }

std::string BstrToUtf8(const vorlin_sdk::OLECHAR* text) { return vorlin_sdk::VorlinStringToUtf8(text); }

std::string WideToUtf8(const vorlin_sdk::OLECHAR* text) { return vorlin_sdk::VorlinWideToUtf8(text); }

vorlin_sdk::BSTR TBstrBuffer::Set(std::string_view utf8) {
    // No UTF-8 sequence gives more UTF-16 units than it has bytes.
    if (utf8.size() > FCapacity || !FValue) {
        if (utf8.size() > (UINT32_MAX - 6) / 2) return nullptr;
        size_t capacity = std::max<size_t>({utf8.size(), FCapacity * 2, 64});
        capacity = std::min<size_t>(capacity, (UINT32_MAX - 6) / 2);
        vorlin_sdk::VorlinFreeString(FValue);
        FValue = vorlin_sdk::VorlinAllocStringLen(nullptr, static_cast<uint32_t>(capacity));
        FCapacity = FValue ? capacity : 0;
        if (!FValue) return nullptr;
    }
    const size_t units = vorlin_sdk::VorlinPutUtf16(utf8, FValue);
    const uint32_t bytes = static_cast<uint32_t>(units * 2);
    std::memcpy(reinterpret_cast<char*>(FValue) - 4, &bytes, 4);
    FValue[units] = 0;
    return FValue;
}

} // namespace vorlin
