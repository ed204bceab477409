#include "rules/PluginStrings.h"

#include "plugins/sdk/VorlinPluginHelpers.h"

// The conversions are the SDK's own, so that the program and the plugins
// built against the SDK treat malformed text alike.
namespace vorlin {

std::u16string Utf8ToUtf16(std::string_view s) { return vorlin_sdk::VorlinUtf8ToUtf16(s); }

std::string Utf16ToUtf8(std::u16string_view s) { return vorlin_sdk::VorlinUtf16ToUtf8(s); }

vorlin_sdk::BSTR NewBstr(std::string_view utf8) { return vorlin_sdk::VorlinNewString(utf8); }

std::string BstrToUtf8(const vorlin_sdk::OLECHAR* text) { return vorlin_sdk::VorlinStringToUtf8(text); }

std::string WideToUtf8(const vorlin_sdk::OLECHAR* text) { return vorlin_sdk::VorlinWideToUtf8(text); }

} // namespace vorlin
