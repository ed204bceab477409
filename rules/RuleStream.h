// The binary fields of the rules file: little-endian integers, one-byte
// flags, GUIDs in their binary layout and 8-bit strings after a 32-bit
// length. Readers throw EStreamError on a short stream and never allocate
// more than the stream still holds, so a damaged file cannot exhaust memory.
#pragma once

#include "platform/Stream.h"
#include "plugins/sdk/VorlinPlugin.h"

#include <cstdint>
#include <string>

namespace vorlin {

uint8_t ReadByte(TStream& stream);
bool ReadBool(TStream& stream);  // any byte but 0 is true
int32_t ReadInt32(TStream& stream);
vorlin_sdk::GUID ReadGUID(TStream& stream);
std::string ReadString32(TStream& stream);

void WriteByte(TStream& stream, uint8_t value);
void WriteBool(TStream& stream, bool value);
void WriteInt32(TStream& stream, int32_t value);
void WriteGUID(TStream& stream, const vorlin_sdk::GUID& guid);
void WriteString32(TStream& stream, const std::string& text);

// The registry text form, "{BF963808-668A-11D4-B425-004005A1D6D9}".
std::string GUIDToString(const vorlin_sdk::GUID& guid);

} // namespace vorlin
