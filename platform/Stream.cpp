#include "platform/Stream.h"

#include "platform/ConfinedFiles.h"
#include "platform/Exception.h"
#include "platform/FileFaults.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vorlin {

void TStream::ReadBuffer(void* buffer, int64_t count) {
    if (count != 0 && Read(buffer, count) != count) throw EStreamError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, int64_t count) {
    if (count != 0 && Write(buffer, count) != count) RaiseWriteError();
}

void TStream::RaiseWriteError() { throw EStreamError("Stream write error"); }

int64_t TStream::CopyFrom(TStream& source, int64_t count) {
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    char buffer[65536];
    int64_t done = 0;
    while (done < count) {
        int64_t n = std::min<int64_t>(sizeof buffer, count - done);
        source.ReadBuffer(buffer, n);
        WriteBuffer(buffer, n);
        done += n;
    }
    return done;
}

int64_t TMemoryStream::Read(void* buffer, int64_t count) {
    if (count <= 0 || FPosition >= Size() || FPosition < FOrigin) return 0;
    int64_t n = std::min(count, Size() - FPosition);
    std::memcpy(buffer, FData.data() + (FPosition - FOrigin), static_cast<size_t>(n));
    FPosition += n;
    return n;
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count) {
    if (count <= 0 || FPosition < FOrigin) return 0;
    int64_t end = FPosition + count;
    const char* bytes = static_cast<const char*>(buffer);
    const size_t at = static_cast<size_t>(FPosition - FOrigin);
    const std::less_equal<const char*> notAfter;  // a total order, also for unrelated memory
    if (!FData.empty() && notAfter(FData.data(), bytes) && !notAfter(FData.data() + FData.size(), bytes)) {
        // Bytes of this stream itself: growing may move them, so they are
        // found again by their place.
        const size_t from = static_cast<size_t>(bytes - FData.data());
        if (end > Size()) FData.resize(static_cast<size_t>(end - FOrigin));
        std::memmove(FData.data() + at, FData.data() + from, static_cast<size_t>(count));
    } else if (at == FData.size()) {
        // Appending, as a body arrives: copied once, not zeroed first.
        FData.insert(FData.end(), bytes, bytes + count);
    } else {
        if (end > Size()) FData.resize(static_cast<size_t>(end - FOrigin));
        std::memcpy(FData.data() + at, bytes, static_cast<size_t>(count));
    }
    FPosition = end;
    return count;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
    int64_t base = origin == TSeekOrigin::soBeginning ? 0
                   : origin == TSeekOrigin::soCurrent ? FPosition
                                                      : Size();
    FPosition = std::max<int64_t>(0, base + offset);
    return FPosition;
}

void TMemoryStream::SetSize(int64_t size) {
    size = std::max<int64_t>(0, size);
    if (size < FOrigin) {
        FData.clear();
        FOrigin = size;
    } else {
        FData.resize(static_cast<size_t>(size - FOrigin));
    }
    if (FPosition > size) FPosition = size;
}

void TMemoryStream::DiscardBefore(int64_t offset) {
    offset = std::min(offset, Size());
    if (offset <= FOrigin) return;
    FData.erase(FData.begin(), FData.begin() + (offset - FOrigin));
    FOrigin = offset;
}

void TMemoryStream::LoadFromFile(const std::string& hostPath, const std::string& confinedTo) {
    TFileStream f(hostPath, fmOpenRead, confinedTo);
    int64_t size = f.Size();
    FData.resize(static_cast<size_t>(size));
    f.ReadBuffer(FData.data(), size);
    FPosition = 0;
    FOrigin = 0;
}

void TMemoryStream::SaveToFile(const std::string& hostPath, const std::string& confinedTo) const {
    TFileStream f(hostPath, fmCreate | fmCreateDirectories, confinedTo);
    f.WriteBuffer(FData.data(), static_cast<int64_t>(FData.size()));
}

TFileStream::TFileStream(const std::string& hostPath, unsigned mode, const std::string& confinedTo,
                         unsigned permissions)
    : FFileName(hostPath) {
    int flags = O_CLOEXEC;
    if (mode & fmCreate)
        flags |= O_RDWR | O_CREAT | O_TRUNC;
    else if (mode & fmOpenReadWrite)
        flags |= O_RDWR;
    else
        flags |= O_RDONLY;
    const bool makeDirectories = (mode & fmCreate) && (mode & fmCreateDirectories);
    if (!confinedTo.empty()) {
        // The common case costs no directory walk that makes anything.
        try {
            FFd = OpenConfined(confinedTo, hostPath, flags, false);
        } catch (const EFileError& e) {
            if (e.Error != ENOENT || !makeDirectories) throw;
            FFd = OpenConfined(confinedTo, hostPath, flags, true);
        }
    } else {
        if (hostPath.find('\0') != std::string::npos)
            throw EFileError("Cannot open file \"" + hostPath + "\". The name holds a NUL byte", EINVAL);
        auto openFile = [&] {
            do {
                FFd = ::open(hostPath.c_str(), flags, static_cast<mode_t>(permissions));
            } while (FFd < 0 && errno == EINTR);
        };
        openFile();
        if (FFd < 0 && errno == ENOENT && makeDirectories) {
            const std::string dir = ExtractFilePath(hostPath);
            // When the directories can't be made, errno tells why.
            if (!dir.empty() && ForceDirectories(dir)) openFile();
        }
        if (FFd < 0) {
            int e = errno;
            throw EFileError("Cannot open file \"" + hostPath + "\". " + std::strerror(e), e);
        }
    }
    if ((mode & fmShareDenyWrite) && ::flock(FFd, LOCK_SH | LOCK_NB) != 0) {
        int e = errno;
        ::close(FFd);
        FFd = -1;
        throw EFileError("Cannot open file \"" + hostPath + "\". " + std::strerror(e), e);
    }
}

TFileStream::~TFileStream() {
    if (FFd >= 0) ::close(FFd);
}

int64_t TFileStream::Read(void* buffer, int64_t count) {
    int64_t done = 0;
    while (done < count) {
        ssize_t n = ::read(FFd, static_cast<char*>(buffer) + done, static_cast<size_t>(count - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += n;
    }
    return done;
}

int64_t TFileStream::Write(const void* buffer, int64_t count) {
    int simulated = 0;
    const int64_t room = SimulatedRoom(FFileName, count, simulated);
    int64_t done = 0;
    while (done < room) {
        ssize_t n =
            ::write(FFd, static_cast<const char*>(buffer) + done, static_cast<size_t>(room - done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) FWriteError = errno;
        if (n <= 0) {
            if (n == 0) FWriteError = EIO;
            return done;
        }
        done += n;
    }
    if (done < count) FWriteError = simulated;
    return done;
}

EFileError TFileStream::WriteFailure() const {
    const int error = FWriteError ? FWriteError : EIO;
    return EFileError("Cannot write to \"" + FFileName + "\". " + std::strerror(error), error);
}

void TFileStream::RaiseWriteError() { throw WriteFailure(); }

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin) {
    int whence = origin == TSeekOrigin::soBeginning ? SEEK_SET
                 : origin == TSeekOrigin::soCurrent ? SEEK_CUR
                                                    : SEEK_END;
    off_t r = ::lseek(FFd, static_cast<off_t>(offset), whence);
    if (r < 0) throw EStreamError("Seek error in \"" + FFileName + "\"");
    return r;
}

int64_t TFileStream::Size() {
    struct stat st {};
    if (::fstat(FFd, &st) != 0) return 0;
    return st.st_size;
}

void TFileStream::SetSize(int64_t size) {
    if (::ftruncate(FFd, static_cast<off_t>(size)) != 0) {
        int e = errno;
        throw EFileError("Cannot resize \"" + FFileName + "\". " + std::strerror(e), e);
    }
    if (Position() > size) SetPosition(size);
}

void TFileStream::Sync() {
    // A full disk may show only here, when the delayed blocks are placed.
    if (::fsync(FFd) != 0) {
        int e = errno;
        throw EFileError("Cannot flush \"" + FFileName + "\". " + std::strerror(e), e);
    }
}

} // namespace vorlin
