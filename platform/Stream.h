// Byte streams in the manner the engine uses them: a receive stream that is
// either a growing memory buffer (pages, resumed pages, plugin documents) or
// a file (plain downloads), read and written at a position.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace vorlin {

class EFileError;

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

protected:
    // Raised by WriteBuffer when Write fell short; a file names its reason.
    [[noreturn]] virtual void RaiseWriteError();
};

class TMemoryStream : public TStream {
public:
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() override { return FOrigin + static_cast<int64_t>(FData.size()); }
    void SetSize(int64_t size) override;

    void Clear() { FData.clear(); FPosition = 0; FOrigin = 0; }
    // Room for bytes from Origin() on, so that a body of known length is
    // not copied as it grows.
    void Reserve(size_t bytes) { FData.reserve(bytes); }
    size_t Capacity() const { return FData.capacity(); }
    // The bytes held, from Origin() on.
    const char* Memory() const { return FData.data(); }
    char* Memory() { return FData.data(); }
    std::string ToString() const { return std::string(FData.data(), FData.size()); }

    // Lets go of the bytes before offset, which a reader is done with (a
    // page parsed as it arrives), so that a stream that is appended to
    // forever holds only what is still needed. Offsets do not change: Size,
    // Position and Seek still count from the first byte ever written;
    // Memory() then starts at Origin(), and nothing before it can be read
    // or written.
    void DiscardBefore(int64_t offset);
    int64_t Origin() const { return FOrigin; }
    // With confinedTo, the file is opened below that directory without
    // following symbolic links (ConfinedFiles.h).
    void LoadFromFile(const std::string& hostPath, const std::string& confinedTo = std::string());
    void SaveToFile(const std::string& hostPath, const std::string& confinedTo = std::string()) const;

private:
    std::vector<char> FData;
    int64_t FPosition = 0;
    int64_t FOrigin = 0;  // the offset of FData[0]
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
    // Throws EFileError ("Cannot open file \"%s\". <reason>") on failure.
    // With confinedTo (a directory above hostPath), no symbolic link below
    // that directory is followed (ConfinedFiles.h). permissions apply to a
    // file that fmCreate makes outside a confined directory (before the umask).
    TFileStream(const std::string& hostPath, unsigned mode, const std::string& confinedTo = std::string(),
                unsigned permissions = 0644);
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
    // The errno of the last write that fell short (0: none did), and the
    // error WriteBuffer raised for it.
    int WriteError() const { return FWriteError; }
    EFileError WriteFailure() const;

protected:
    [[noreturn]] void RaiseWriteError() override;

private:
    std::string FFileName;
    int FFd = -1;
    int FWriteError = 0;
};

} // namespace vorlin
