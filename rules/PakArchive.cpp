#include "rules/PakArchive.h"

#include "platform/DebugLog.h"
#include "platform/FileSystem.h"
#include "platform/StringUtils.h"

#include <cstring>
#include <limits>

namespace vorlin {

namespace {

void PutLE(char* at, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) at[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

uint32_t GetLE(const char* at, int bytes) {
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i) v |= static_cast<uint32_t>(static_cast<unsigned char>(at[i])) << (8 * i);
    return v;
}

void ReportDamage(const std::string& fileName, const std::string& what) {
    DebugLog(Format("Plugin archive \"%s\" is damaged: %s", fileName, what));
}

} // namespace

// --- TPakHeader ----------------------------------------------------------

void TPakHeader::WriteTo(TStream& stream) const {
    char b[cSize] = {};
    PutLE(b + 0, 0, 2);
    PutLE(b + 2, 1, 2);
    PutLE(b + 4, DirOffset, 4);
    PutLE(b + 8, Count, 4);
    std::memset(b + 62, 'X', 24);
    stream.WriteBuffer(b, cSize);
}

bool TPakHeader::ReadFrom(TStream& stream) {
    char b[cSize];
    if (stream.Read(b, cSize) != cSize) return false;
    DirOffset = GetLE(b + 4, 4);
    // Older writers kept a 16-bit count in this field; its upper half is not
    // part of the count.
    Count = GetLE(b + 8, 4) & 0xFFFF;
    return true;
}

// --- TPakDirectoryItem -----------------------------------------------------

void TPakDirectoryItem::WriteTo(TStream& stream) const {
    char b[cSize] = {};
    std::memcpy(b, Name.data(), std::min(Name.size(), cMaxName));
    PutLE(b + 256, Kind, 2);
    PutLE(b + 258, Offset, 4);
    PutLE(b + 262, Size, 4);
    stream.WriteBuffer(b, cSize);
}

bool TPakDirectoryItem::ReadFrom(TStream& stream) {
    char b[cSize];
    if (stream.Read(b, cSize) != cSize) return false;
    Name.assign(b, strnlen(b, cMaxName));
    Kind = static_cast<uint16_t>(GetLE(b + 256, 2));
    Offset = GetLE(b + 258, 4);
    Size = GetLE(b + 262, 4);
    return true;
}

// --- TPakDirectory -------------------------------------------------------

int TPakDirectory::Find(const std::string& name) const {
    for (size_t i = 0; i < FItems.size(); ++i)
        if (FItems[i].Name == name) return static_cast<int>(i);
    return -1;
}

void TPakDirectory::Delete(int index) {
    if (index < 0 || index >= Count()) throw EPakError(Format("Archive entry %d does not exist", index));
    FItems.erase(FItems.begin() + index);
}

// --- TPakArchive ---------------------------------------------------------

TPakArchive::TPakArchive(const std::string& hostPath) : FFileName(hostPath) { Open(); }

TPakArchive::~TPakArchive() {
    if (!FModified) return;
    try {
        Flush();
    } catch (const std::exception& e) {
        DebugLogReport("Error writing plugin archive " + FFileName, e.what());
    }
}

std::string TPakArchive::StoredName(const std::string& name) {
    std::string s = name.substr(0, name.find('\0'));
    if (s.size() <= TPakDirectoryItem::cMaxName) return s;
    size_t n = TPakDirectoryItem::cMaxName;
    // Back off over continuation bytes so that no character is cut in half.
    while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) --n;
    return s.substr(0, n);
}

void TPakArchive::Open() {
    FDirectory.Clear();
    FData.Clear();
    char zeros[TPakHeader::cSize] = {};
    FData.WriteBuffer(zeros, TPakHeader::cSize);
    if (!FileExists(FFileName)) {
        // A new archive's header names no directory (offset 0) until
        // something is added.
        TPakHeader fresh;
        fresh.DirOffset = 0;
        WriteFileAtomically(FFileName, [&](TFileStream& out) { fresh.WriteTo(out); });
        return;
    }
    TFileStream file(FFileName, fmOpenRead);
    TPakHeader header;
    if (!header.ReadFrom(file)) {
        ReportDamage(FFileName, "the header is incomplete");
        return;
    }
    if (header.Count == 0) return;  // the data region starts empty
    int64_t fileSize = file.Size();
    if (header.DirOffset < TPakHeader::cSize || header.DirOffset > fileSize) {
        ReportDamage(FFileName, "the directory lies outside the file");
        return;
    }
    // Keep the data region as it is; only the directory is rebuilt on flush.
    file.SetPosition(TPakHeader::cSize);
    FData.SetPosition(TPakHeader::cSize);
    FData.CopyFrom(file, header.DirOffset - TPakHeader::cSize);
    file.SetPosition(header.DirOffset);
    ReadDirectory(file, header);
}

void TPakArchive::ReadDirectory(TStream& file, const TPakHeader& header) {
    for (uint32_t i = 0; i < header.Count; ++i) {
        TPakDirectoryItem item;
        if (!item.ReadFrom(file)) {
            ReportDamage(FFileName, Format("the directory ends after %u of %u entries", i, header.Count));
            return;
        }
        uint64_t end = static_cast<uint64_t>(item.Offset) + item.Size;
        if (item.Offset < TPakHeader::cSize || end > header.DirOffset) {
            ReportDamage(FFileName, "the data of entry \"" + item.Name + "\" lies outside the file");
            continue;
        }
        FDirectory.Append(std::move(item));
    }
}

int TPakArchive::Find(const std::string& name) const { return FDirectory.Find(StoredName(name)); }

void TPakArchive::Read(int index, TStream& stream) const {
    const TPakDirectoryItem& item = FDirectory.Item(index);
    stream.WriteBuffer(FData.Memory() + item.Offset, item.Size);
}

void TPakArchive::Delete(int index) {
    FDirectory.Delete(index);
    FModified = true;
}

void TPakArchive::Add(TStream& stream, const std::string& name, uint16_t kind) {
    // The count is read back as 16 bits: one more entry would lose them all.
    if (Count() >= 0xFFFF) throw EPakError("Plugin archive \"" + FFileName + "\" is full");
    int64_t size = stream.Size();
    // Offsets are 32 bits wide.
    if (size < 0 || DataEnd() + size > std::numeric_limits<uint32_t>::max())
        throw EPakError("Plugin archive \"" + FFileName + "\" would grow beyond 4 GB");
    TPakDirectoryItem item;
    item.Name = StoredName(name);
    item.Kind = kind;
    item.Offset = DataEnd();
    item.Size = static_cast<uint32_t>(size);
    FData.SetPosition(item.Offset);
    if (size > 0) FData.CopyFrom(stream, 0);
    FDirectory.Append(std::move(item));
    FModified = true;
}

void TPakArchive::Flush() {
    TPakHeader header;
    header.DirOffset = DataEnd();
    header.Count = static_cast<uint32_t>(Count());
    WriteFileAtomically(FFileName, [&](TFileStream& out) {
        header.WriteTo(out);
        out.WriteBuffer(FData.Memory() + TPakHeader::cSize, DataEnd() - TPakHeader::cSize);
        for (int i = 0; i < Count(); ++i) FDirectory.Item(i).WriteTo(out);
    });
    FModified = false;
}

void TPakArchive::Compact() {
    TMemoryStream packed;
    char zeros[TPakHeader::cSize] = {};
    packed.WriteBuffer(zeros, TPakHeader::cSize);
    for (int i = 0; i < Count(); ++i) {
        TPakDirectoryItem& item = FDirectory.Item(i);
        uint32_t offset = static_cast<uint32_t>(packed.Position());
        packed.WriteBuffer(FData.Memory() + item.Offset, item.Size);
        item.Offset = offset;
    }
    FData = std::move(packed);
    FModified = true;
    Flush();
}

} // namespace vorlin
