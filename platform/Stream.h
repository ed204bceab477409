// Byte streams in the manner the engine uses them: a receive stream that is
// either a growing memory buffer (pages, resumed pages, plugin documents) or
// a file (plain downloads), read and written at a position.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace vorlin {

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream {
public:
    virtual ~TStream() = default;
    // Reads up to count bytes at the position; returns the number read.
    virtual int64_t Read(void* buffer, int64_t count) = 0;
    // Writes count bytes at the position; returns the number written.
    virtual int64_t Write(const void* buffer, int64_t count) = 0;
    virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;
    virtual int64_t Size() = 0;
    virtual void SetSize(int64_t size) = 0;

    int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
    void SetPosition(int64_t position) { Seek(position, TSeekOrigin::soBeginning); }
    // Read or write exactly count bytes, else throw EStreamError.
    void ReadBuffer(void* buffer, int64_t count);
    void WriteBuffer(const void* buffer, int64_t count);
    // Copies count bytes (all from the position to the end when 0) from source.
    int64_t CopyFrom(TStream& source, int64_t count);
};

class TMemoryStream : public TStream {
public:
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() override { return static_cast<int64_t>(FData.size()); }
    void SetSize(int64_t size) override;

    void Clear() { FData.clear(); FPosition = 0; }
    const char* Memory() const { return FData.data(); }
    char* Memory() { return FData.data(); }
    std::string ToString() const { return std::string(FData.data(), FData.size()); }
    void LoadFromFile(const std::string& hostPath);
    void SaveToFile(const std::string& hostPath) const;

private:
    std::vector<char> FData;
    int64_t FPosition = 0;
};

// File open modes: fmCreate truncates or creates; fmOpenRead reads;
// fmOpenReadWrite opens an existing file for both. fmShareDenyWrite takes a
// shared advisory lock so that a concurrent writer that locks fails.
// fmCreateDirectories, with fmCreate, makes the file's missing directories
// when the first attempt finds none (so the common case costs no look-up).
enum TFileMode : unsigned {
    fmCreate = 1,
    fmOpenRead = 2,
    fmOpenReadWrite = 4,
    fmShareDenyWrite = 8,
    fmCreateDirectories = 16,
};

class TFileStream : public TStream {
public:
    // Throws EStreamError ("Cannot open file \"%s\". <reason>") on failure.
    // permissions apply to a file that fmCreate makes (before the umask).
    TFileStream(const std::string& hostPath, unsigned mode, unsigned permissions = 0644);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() override;
    void SetSize(int64_t size) override;
    // Flushes to the operating system and to the disk.
    void Sync();
    const std::string& FileName() const { return FFileName; }
    int Handle() const { return FFd; }

private:
    std::string FFileName;
    int FFd = -1;
};

} // namespace vorlin
