// The plugin archive files (".prj.plugins" with the plugins' settings of a
// project, ".dat.plugins" with the data they keep): a header, the entries'
// data one after another, and a directory of named entries at the end.
//
// Layout (little-endian), which existing projects rely on byte for byte:
//   header, 86 bytes: 0 (16 bit), 1 (16 bit), directory offset (32 bit),
//                     entry count (32 bit, read back as 16 bit), 50 zero
//                     bytes, 24 times "X"
//   item, 266 bytes:  name (256 bytes, at most 255 used, zero padded),
//                     kind (16 bit, written 0), data offset (32 bit),
//                     data size (32 bit)
//
// The file on disk is only ever replaced whole (written to a temporary file
// and renamed), so a crash while flushing or compacting leaves the previous
// archive intact. Between flushes the archive lives in memory.
#pragma once

#include "platform/Exception.h"
#include "platform/Stream.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vorlin {

class EPakError : public Exception {
public:
    using Exception::Exception;
};

struct TPakHeader {
    static constexpr int64_t cSize = 86;
    uint32_t DirOffset = cSize;
    uint32_t Count = 0;

    void WriteTo(TStream& stream) const;
    // False when fewer than cSize bytes could be read.
    bool ReadFrom(TStream& stream);
};

struct TPakDirectoryItem {
    static constexpr int64_t cSize = 266;
    static constexpr size_t cMaxName = 255;
    std::string Name;
    uint16_t Kind = 0;
    uint32_t Offset = 0;
    uint32_t Size = 0;

    void WriteTo(TStream& stream) const;
    bool ReadFrom(TStream& stream);
};

// The entries in the order they were added.
class TPakDirectory {
public:
    int Count() const { return static_cast<int>(FItems.size()); }
    TPakDirectoryItem& Item(int index) { return FItems.at(static_cast<size_t>(index)); }
    const TPakDirectoryItem& Item(int index) const { return FItems.at(static_cast<size_t>(index)); }
    int Find(const std::string& name) const;
    void Append(TPakDirectoryItem item) { FItems.push_back(std::move(item)); }
    void Delete(int index);
    void Clear() { FItems.clear(); }

private:
    std::vector<TPakDirectoryItem> FItems;
};

class TPakArchive {
public:
    // Opens the archive, creating it with an empty directory when it does not
    // exist. A damaged file yields the entries that could be read (reported to
    // the debug log); an unreadable or uncreatable one raises EPakError.
    explicit TPakArchive(const std::string& hostPath);
    // Flushes what changed; errors go to the debug log.
    ~TPakArchive();
    TPakArchive(const TPakArchive&) = delete;
    TPakArchive& operator=(const TPakArchive&) = delete;

    // The form a name is stored in: cut at a zero byte and to 255 bytes
    // (never inside a UTF-8 sequence).
    static std::string StoredName(const std::string& name);

    const std::string& FileName() const { return FFileName; }
    const TPakDirectory& Directory() const { return FDirectory; }
    int Count() const { return FDirectory.Count(); }
    // The first entry of that name (case-sensitive), or -1.
    int Find(const std::string& name) const;
    // Writes the entry's data into the stream at its position.
    void Read(int index, TStream& stream) const;
    // Forgets the entry; its data stays until the next Compact.
    void Delete(int index);
    // Appends the whole stream as a new entry (an existing one of the same
    // name is kept: Find answers the first).
    void Add(TStream& stream, const std::string& name, uint16_t kind = 0);
    // Writes header, data and directory to the file.
    void Flush();
    // Moves every entry's data to follow the previous one, drops the data of
    // deleted entries, and writes the file.
    void Compact();

private:
    void Open();
    void ReadDirectory(TStream& file, const TPakHeader& header);
    uint32_t DataEnd() { return static_cast<uint32_t>(FData.Size()); }

    std::string FFileName;
    TPakDirectory FDirectory;
    TMemoryStream FData;  // header bytes and data, up to the directory offset
    bool FModified = false;
};

} // namespace vorlin
