// Strings at the plugin boundary: the program's UTF-8 text to the plugins'
// length-prefixed UTF-16 strings and back. Malformed input on either side
// (bytes that are not UTF-8, unpaired surrogates) becomes U+FFFD rather than
// an error, so a plugin handing back garbage cannot break the run.
#pragma once

#include "plugins/sdk/VorlinPlugin.h"

#include <string>
#include <string_view>

namespace vorlin {

std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

// Text of ASCII only: its UTF-16 form has as many units as it has bytes.
bool IsAscii(std::string_view text);

// A new BSTR (caller frees with VorlinFreeString); null only when out of memory.
vorlin_sdk::BSTR NewBstr(std::string_view utf8);
// The text of a BSTR (null is empty).
std::string BstrToUtf8(const vorlin_sdk::OLECHAR* text);
// The text of a 0-terminated UTF-16 string that need not be a BSTR.
std::string WideToUtf8(const vorlin_sdk::OLECHAR* text);

// Owns one BSTR for a call: BSTRs the program passes [in] and [out] values it
// receives go through this, so that every path frees them.
class TBstr {
public:
    TBstr() = default;
    explicit TBstr(std::string_view utf8) : FValue(NewBstr(utf8)) {}
    ~TBstr() { vorlin_sdk::VorlinFreeString(FValue); }
    TBstr(const TBstr&) = delete;
    TBstr& operator=(const TBstr&) = delete;

    vorlin_sdk::BSTR Get() const { return FValue; }
    // For an [out] parameter: frees what is held and hands out the slot.
    vorlin_sdk::BSTR* Out() {
        vorlin_sdk::VorlinFreeString(FValue);
        FValue = nullptr;
        return &FValue;
    }
    std::string Utf8() const { return BstrToUtf8(FValue); }

private:
    vorlin_sdk::BSTR FValue = nullptr;
};

// One [in] BSTR that the program fills anew for each call. An [in] string is
// the caller's and valid for the call only, so the hooks that run for every
// tag and text of a page reuse one buffer instead of allocating each time.
class TBstrBuffer {
public:
    TBstrBuffer() = default;
    ~TBstrBuffer() { vorlin_sdk::VorlinFreeString(FValue); }
    TBstrBuffer(const TBstrBuffer&) = delete;
    TBstrBuffer& operator=(const TBstrBuffer&) = delete;

    // The text as a BSTR, valid until the next Set; null only when out of memory.
    vorlin_sdk::BSTR Set(std::string_view utf8);

private:
    vorlin_sdk::BSTR FValue = nullptr;
    size_t FCapacity = 0;  // UTF-16 units FValue has room for
};

} // namespace vorlin
