#include "links/PageWriter.h"

#include "platform/Exception.h"
#include "links/PageStore.h"
#include "platform/FileSystem.h"
#include "platform/Stream.h"

namespace vorlin {

namespace {
constexpr size_t kBufferSize = 64 * 1024;
// A page up to this size goes to the store as a copy of its own size.
constexpr size_t kLargestCopy = 16 * 1024;
}

TPageWriter::TPageWriter() = default;

TPageWriter::~TPageWriter() {
    CloseQuietly();
}

void TPageWriter::Open(const std::string& hostPath, const std::string& confinedTo) {
    CloseQuietly();
    FLastTicket = 0;
    if (FStore)
        FTicket = FStore->Begin(hostPath, confinedTo);
    else
        FFile = std::make_unique<TFileStream>(hostPath, fmCreate | fmCreateDirectories, confinedTo);
    FBuffer.clear();
    FBuffer.reserve(kBufferSize);
    FStamp = 0;
}

void TPageWriter::Write(std::string_view bytes) {
    if (!IsOpen() || bytes.empty()) return;
    if (FBuffer.size() + bytes.size() > kBufferSize) {
        Flush();
        if (bytes.size() >= kBufferSize) {
            if (FTicket != 0)
                FStore->Append(FTicket, std::string(bytes));
            else
                FFile->WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
            return;
        }
    }
    FBuffer.append(bytes);
}

void TPageWriter::Flush() {
    if (FBuffer.empty()) return;
    if (FTicket != 0) {
        // Most pages are small: a copy of their size keeps the buffer here
        // for the next page, and what waits in the store is what pages take,
        // not a buffer's room each.
        if (FBuffer.size() <= kLargestCopy) {
            FStore->Copy(FTicket, FBuffer);
            FBuffer.clear();
            return;
        }
        // A large one goes itself; the store gives back a buffer it has written.
        FStore->Hand(FTicket, FBuffer);
        FBuffer.reserve(kBufferSize);
        return;
    }
    if (!FFile) return;
    // The buffer keeps its room for the next page: every page is written
    // through it, and a fresh 64 KB block each time costs more than the write.
    try {
        FFile->WriteBuffer(FBuffer.data(), static_cast<int64_t>(FBuffer.size()));
    } catch (...) {
        FBuffer.clear();
        throw;
    }
    FBuffer.clear();
}

void TPageWriter::Close() {
    if (FTicket != 0) {
        Flush();
        FStore->End(FTicket, FStamp);
        FLastTicket = FTicket;
        FTicket = 0;
        return;
    }
    if (!FFile) return;
    try {
        Flush();
    } catch (...) {
        FFile.reset();
        FBuffer.clear();
        throw;
    }
    if (FStamp != 0) SetFileModificationTime(FFile->Handle(), FStamp);
    FFile.reset();
}

void TPageWriter::CloseQuietly() {
    try {
        Close();
    } catch (const std::exception&) {
        // The copy is being given up or already failed to write; nothing to add.
    }
}

} // namespace vorlin
