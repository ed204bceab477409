// The tagged value stream: the encoding of the project file, the link data
// file and the update package lists. Every value is one tag byte and its
// payload, little-endian:
//   0 end of list, 1 begin of list, 2/3/4 integer of 1/2/4 bytes,
//   5 80-bit extended float, 6 string (1-byte length), 8 false, 9 true,
//   12 long string (4-byte length), 17 date-time (8-byte double).
// Reading and writing go through a 1024-byte buffer.
#pragma once

#include "platform/DateTime.h"
#include "platform/Exception.h"
#include "project/Extended80.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace vorlin {

class TStream;

enum TValueTag : uint8_t {
    vtNull = 0,
    vtList = 1,
    vtInt8 = 2,
    vtInt16 = 3,
    vtInt32 = 4,
    vtExtended = 5,
    vtString = 6,
    vtFalse = 8,
    vtTrue = 9,
    vtLString = 12,
    vtDate = 17,
};

// A value of the wrong kind where one was expected, or the end of the data
// inside a value.
class ETaggedReadError : public EStreamError {
public:
    using EStreamError::EStreamError;
};

class TTaggedWriter {
public:
    explicit TTaggedWriter(TStream& stream) : FStream(stream) {}
    // Flushes what is left; errors at that point are lost, so writers call
    // Flush() themselves.
    ~TTaggedWriter();
    TTaggedWriter(const TTaggedWriter&) = delete;
    TTaggedWriter& operator=(const TTaggedWriter&) = delete;

    void WriteInteger(int32_t value);  // the smallest of tags 2, 3, 4
    void WriteString(std::string_view value);  // tag 6 up to 255 bytes, else 12
    void WriteBoolean(bool value);
    void WriteFloat(double value);  // tag 5, see NearestExtendedOf
    void WriteExtended(const TExtended80& value);
    void WriteDate(TDateTime value);
    void WriteListBegin();
    void WriteListEnd();
    // Hands the buffered bytes to the stream.
    void Flush();

private:
    // Most values fit in the buffer as it stands: copied in place, without a call.
    void Put(const void* data, size_t count) {
        if (count > sizeof FBuffer - FFill) return PutAcross(data, count);
        std::memcpy(FBuffer + FFill, data, count);
        FFill += count;
    }
    void PutAcross(const void* data, size_t count);
    void PutTag(TValueTag tag) { Put(&tag, 1); }

    TStream& FStream;
    uint8_t FBuffer[1024];
    size_t FFill = 0;
};

class TTaggedReader {
public:
    // Longest string accepted: a damaged length can't make the reader
    // allocate gigabytes.
    static constexpr uint32_t kMaxStringLength = 64u << 20;

    explicit TTaggedReader(TStream& stream);
    TTaggedReader(const TTaggedReader&) = delete;
    TTaggedReader& operator=(const TTaggedReader&) = delete;

    int32_t ReadInteger();  // tags 2, 3, 4
    std::string ReadString();  // tags 6, 12
    bool ReadBoolean();  // tags 8, 9
    double ReadFloat();  // tag 5
    TExtended80 ReadExtended();  // tag 5
    TDateTime ReadDate();  // tag 17
    void ReadListBegin();
    void ReadListEnd();
    // True when the next value is the end of a list (not consumed).
    bool EndOfList();
    // The tag of the next value, not consumed; throws at the end of the data.
    TValueTag NextTag();

    // Bytes consumed so far, counted from where the stream stood at the start.
    int64_t Position() const { return FBufferStart + static_cast<int64_t>(FPos); }
    // Puts the stream where reading stopped (the reader reads ahead).
    void SyncStreamPosition();

private:
    // A link data file is millions of small values: those that lie in the
    // buffer as it stands are taken in place, without a call.
    uint8_t TakeTag(const char* expected) {
        if (FPos < FEnd) return FBuffer[FPos++];
        uint8_t tag;
        TakeAcross(&tag, 1, expected);
        return tag;
    }
    void Take(void* data, size_t count, const char* what) {
        if (count > FEnd - FPos) return TakeAcross(data, count, what);
        std::memcpy(data, FBuffer + FPos, count);
        FPos += count;
    }
    void TakeAcross(void* data, size_t count, const char* what);
    bool Fill();
    [[noreturn]] void EndedEarly(const char* what) const;
    [[noreturn]] void WrongTag(uint8_t tag, const char* expected) const;

    TStream& FStream;
    uint8_t FBuffer[16 * 1024];
    size_t FPos = 0, FEnd = 0;
    int64_t FBufferStart = 0;  // Position() of FBuffer[0]
};

} // namespace vorlin
