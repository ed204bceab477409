#include "project/TaggedStream.h"

#include "platform/Stream.h"
#include "platform/StringUtils.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace vorlin {

namespace {

void StoreLE(uint8_t* out, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint64_t LoadLE(const uint8_t* in, int bytes) {
    uint64_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | in[i];
    return value;
}

} // namespace

// Writer

TTaggedWriter::~TTaggedWriter() {
    try {
        Flush();
    } catch (...) {
    }
}

void TTaggedWriter::PutAcross(const void* data, size_t count) {
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    while (count > 0) {
        if (FFill == sizeof FBuffer) Flush();
        size_t n = std::min(count, sizeof FBuffer - FFill);
        std::memcpy(FBuffer + FFill, bytes, n);
        FFill += n;
        bytes += n;
        count -= n;
    }
}

void TTaggedWriter::Flush() {
    if (FFill == 0) return;
    size_t n = FFill;
    FFill = 0;
    FStream.WriteBuffer(FBuffer, static_cast<int64_t>(n));
}

void TTaggedWriter::WriteInteger(int32_t value) {
    uint8_t out[5];
    int bytes;
    if (value >= INT8_MIN && value <= INT8_MAX) {
        out[0] = vtInt8;
        bytes = 1;
    } else if (value >= INT16_MIN && value <= INT16_MAX) {
        out[0] = vtInt16;
        bytes = 2;
    } else {
        out[0] = vtInt32;
        bytes = 4;
    }
    StoreLE(out + 1, static_cast<uint32_t>(value), bytes);
    Put(out, static_cast<size_t>(bytes) + 1);
}

void TTaggedWriter::WriteString(std::string_view value) {
    if (value.size() > UINT32_MAX) throw EStreamError("String too long for the stored data");
    uint8_t head[5];
    size_t headSize;
    if (value.size() <= 255) {
        head[0] = vtString;
        head[1] = static_cast<uint8_t>(value.size());
        headSize = 2;
    } else {
        head[0] = vtLString;
        StoreLE(head + 1, value.size(), 4);
        headSize = 5;
    }
    Put(head, headSize);
    Put(value.data(), value.size());
}

void TTaggedWriter::WriteBoolean(bool value) { PutTag(value ? vtTrue : vtFalse); }

void TTaggedWriter::WriteFloat(double value) { WriteExtended(NearestExtendedOf(value)); }

void TTaggedWriter::WriteExtended(const TExtended80& value) {
    PutTag(vtExtended);
    Put(value.data(), value.size());
}

void TTaggedWriter::WriteDate(TDateTime value) {
    uint8_t out[9];
    out[0] = vtDate;
    StoreLE(out + 1, std::bit_cast<uint64_t>(value), 8);
    Put(out, sizeof out);
}

void TTaggedWriter::WriteListBegin() { PutTag(vtList); }
void TTaggedWriter::WriteListEnd() { PutTag(vtNull); }

// Reader

TTaggedReader::TTaggedReader(TStream& stream) : FStream(stream) {}

bool TTaggedReader::Fill() {
    FBufferStart += static_cast<int64_t>(FEnd);
    FPos = 0;
    FEnd = static_cast<size_t>(std::max<int64_t>(0, FStream.Read(FBuffer, sizeof FBuffer)));
    return FEnd > 0;
}

void TTaggedReader::TakeAcross(void* data, size_t count, const char* what) {
    uint8_t* out = static_cast<uint8_t*>(data);
    while (count > 0) {
        if (FPos == FEnd && !Fill()) EndedEarly(what);
        size_t n = std::min(count, FEnd - FPos);
        std::memcpy(out, FBuffer + FPos, n);
        FPos += n;
        out += n;
        count -= n;
    }
}

void TTaggedReader::EndedEarly(const char* what) const {
    throw ETaggedReadError(Format("Unexpected end of the stored data at byte %lld (reading %s)",
                                  static_cast<long long>(Position()), what));
}

void TTaggedReader::WrongTag(uint8_t tag, const char* expected) const {
    throw ETaggedReadError(Format("Invalid stored value at byte %lld: expected %s, found tag %d",
                                  static_cast<long long>(Position() - 1), expected, tag));
}

TValueTag TTaggedReader::NextTag() {
    if (FPos == FEnd && !Fill())
        throw ETaggedReadError(Format("Unexpected end of the stored data at byte %lld",
                                      static_cast<long long>(Position())));
    return static_cast<TValueTag>(FBuffer[FPos]);
}

int32_t TTaggedReader::ReadInteger() {
    const char* what = "an integer";
    uint8_t tag = TakeTag(what);
    uint8_t in[4];
    switch (tag) {
    case vtInt8:
        Take(in, 1, what);
        return static_cast<int8_t>(in[0]);
    case vtInt16:
        Take(in, 2, what);
        return static_cast<int16_t>(LoadLE(in, 2));
    case vtInt32:
        Take(in, 4, what);
        return static_cast<int32_t>(static_cast<uint32_t>(LoadLE(in, 4)));
    default:
        WrongTag(tag, what);
    }
}

std::string TTaggedReader::ReadString() {
    const char* what = "a string";
    uint8_t tag = TakeTag(what);
    uint32_t length;
    if (tag == vtString) {
        uint8_t n;
        Take(&n, 1, what);
        length = n;
    } else if (tag == vtLString) {
        uint8_t in[4];
        Take(in, 4, what);
        length = static_cast<uint32_t>(LoadLE(in, 4));
        if (length > kMaxStringLength)
            throw ETaggedReadError(Format("Invalid stored value at byte %lld: a string of %u bytes",
                                          static_cast<long long>(Position() - 5), length));
    } else {
        WrongTag(tag, what);
    }
    // Most strings lie whole in the buffer. The others grow with the data
    // actually there, so a length that runs past the end fails without
    // reserving it first.
    if (length <= FEnd - FPos) {
        std::string value(reinterpret_cast<const char*>(FBuffer + FPos), length);
        FPos += length;
        return value;
    }
    std::string value;
    while (value.size() < length) {
        if (FPos == FEnd && !Fill()) EndedEarly(what);
        size_t n = std::min<size_t>(FEnd - FPos, length - value.size());
        value.append(reinterpret_cast<const char*>(FBuffer + FPos), n);
        FPos += n;
    }
    return value;
}

bool TTaggedReader::ReadBoolean() {
    uint8_t tag = TakeTag("a boolean");
    if (tag == vtTrue) return true;
    if (tag != vtFalse) WrongTag(tag, "a boolean");
    return false;
}

TExtended80 TTaggedReader::ReadExtended() {
    const char* what = "a floating-point number";
    uint8_t tag = TakeTag(what);
    if (tag != vtExtended) WrongTag(tag, what);
    TExtended80 value;
    Take(value.data(), value.size(), what);
    return value;
}

double TTaggedReader::ReadFloat() { return ExtendedToDouble(ReadExtended()); }

TDateTime TTaggedReader::ReadDate() {
    const char* what = "a date";
    uint8_t tag = TakeTag(what);
    if (tag != vtDate) WrongTag(tag, what);
    uint8_t in[8];
    Take(in, 8, what);
    return std::bit_cast<double>(LoadLE(in, 8));
}

void TTaggedReader::ReadListBegin() {
    uint8_t tag = TakeTag("the start of a list");
    if (tag != vtList) WrongTag(tag, "the start of a list");
}

void TTaggedReader::ReadListEnd() {
    uint8_t tag = TakeTag("the end of a list");
    if (tag != vtNull) WrongTag(tag, "the end of a list");
}

bool TTaggedReader::EndOfList() { return NextTag() == vtNull; }

void TTaggedReader::SyncStreamPosition() {
    if (FPos < FEnd) FStream.Seek(-static_cast<int64_t>(FEnd - FPos), TSeekOrigin::soCurrent);
    FBufferStart = Position();
    FPos = FEnd = 0;
}

} // namespace vorlin
