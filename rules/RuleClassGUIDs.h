// The class GUIDs of the built-in conditions and actions, as the rules file
// stores them. They share all but the first field.
#pragma once

#include "plugins/sdk/VorlinPlugin.h"

namespace vorlin {

constexpr vorlin_sdk::GUID BuiltInRuleGUID(uint32_t first) {
    return {first, 0x668A, 0x11D4, {0xB4, 0x25, 0x00, 0x40, 0x05, 0xA1, 0xD6, 0xD9}};
}

constexpr vorlin_sdk::GUID GUID_FileSizeCondition = BuiltInRuleGUID(0xBF963800);
constexpr vorlin_sdk::GUID GUID_FilePathCondition = BuiltInRuleGUID(0xBF963801);
constexpr vorlin_sdk::GUID GUID_URLCondition = BuiltInRuleGUID(0xBF963802);
constexpr vorlin_sdk::GUID GUID_MimeTypeCondition = BuiltInRuleGUID(0xBF963803);
constexpr vorlin_sdk::GUID GUID_ForceDownloadAction = BuiltInRuleGUID(0xBF963804);
constexpr vorlin_sdk::GUID GUID_ExcludeAction = BuiltInRuleGUID(0xBF963805);
constexpr vorlin_sdk::GUID GUID_CopyToDirStructureKeepAction = BuiltInRuleGUID(0xBF963806);
constexpr vorlin_sdk::GUID GUID_CopyToDirAction = BuiltInRuleGUID(0xBF963807);
constexpr vorlin_sdk::GUID GUID_FileNameCondition = BuiltInRuleGUID(0xBF963808);

} // namespace vorlin
