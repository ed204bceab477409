#include "rules/RuleStream.h"

#include "platform/Exception.h"
#include "platform/StringUtils.h"

namespace vorlin {

namespace {

uint32_t ReadUInt(TStream& stream, int bytes) {
    unsigned char b[4] = {};
    stream.ReadBuffer(b, bytes);
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | b[i];
    return v;
}

void WriteUInt(TStream& stream, uint32_t v, int bytes) {
    unsigned char b[4];
    for (int i = 0; i < bytes; ++i) b[i] = static_cast<unsigned char>(v >> (8 * i));
    stream.WriteBuffer(b, bytes);
}

} // namespace

uint8_t ReadByte(TStream& stream) { return static_cast<uint8_t>(ReadUInt(stream, 1)); }
bool ReadBool(TStream& stream) { return ReadByte(stream) != 0; }
int32_t ReadInt32(TStream& stream) { return static_cast<int32_t>(ReadUInt(stream, 4)); }

vorlin_sdk::GUID ReadGUID(TStream& stream) {
    vorlin_sdk::GUID g{};
    g.Data1 = ReadUInt(stream, 4);
    g.Data2 = static_cast<uint16_t>(ReadUInt(stream, 2));
    g.Data3 = static_cast<uint16_t>(ReadUInt(stream, 2));
    stream.ReadBuffer(g.Data4, 8);
    return g;
}

std::string ReadString32(TStream& stream) {
    int32_t length = ReadInt32(stream);
    if (length < 0 || length > stream.Size() - stream.Position())
        throw EStreamError(Format("Stream read error (a text of %d bytes does not fit the data)", length));
    std::string text(static_cast<size_t>(length), '\0');
    stream.ReadBuffer(text.data(), length);
    return text;
}

void WriteByte(TStream& stream, uint8_t value) { WriteUInt(stream, value, 1); }
void WriteBool(TStream& stream, bool value) { WriteByte(stream, value ? 1 : 0); }
void WriteInt32(TStream& stream, int32_t value) { WriteUInt(stream, static_cast<uint32_t>(value), 4); }

void WriteGUID(TStream& stream, const vorlin_sdk::GUID& guid) {
    WriteUInt(stream, guid.Data1, 4);
    WriteUInt(stream, guid.Data2, 2);
    WriteUInt(stream, guid.Data3, 2);
    stream.WriteBuffer(guid.Data4, 8);
}

void WriteString32(TStream& stream, const std::string& text) {
    WriteInt32(stream, static_cast<int32_t>(text.size()));
    stream.WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
}

std::string GUIDToString(const vorlin_sdk::GUID& g) {
    return Format("{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g.Data1, g.Data2, g.Data3,
                  g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6],
                  g.Data4[7]);
}

} // namespace vorlin
