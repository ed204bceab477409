#include "links/PageWriter.h"

#include "platform/Exception.h"
#include "platform/Stream.h"

namespace vorlin {

namespace {
constexpr size_t kBufferSize = 64 * 1024;
}

TPageWriter::TPageWriter() = default;

TPageWriter::~TPageWriter() {
    CloseQuietly();
}

void TPageWriter::Open(const std::string& hostPath, const std::string& confinedTo) {
    CloseQuietly();
    FFile = std::make_unique<TFileStream>(hostPath, fmCreate | fmCreateDirectories, confinedTo);
    FBuffer.clear();
    FBuffer.reserve(kBufferSize);
}

void TPageWriter::Write(std::string_view bytes) {
    if (!FFile || bytes.empty()) return;
    if (FBuffer.size() + bytes.size() > kBufferSize) {
        Flush();
        if (bytes.size() >= kBufferSize) {
            FFile->WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
            return;
        }
    }
    FBuffer.append(bytes);
}

void TPageWriter::Flush() {
    if (!FFile || FBuffer.empty()) return;
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
    if (!FFile) return;
    try {
        Flush();
    } catch (...) {
        FFile.reset();
        FBuffer.clear();
        throw;
    }
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
