#include "project/LinkDataWriter.h"

#include <utility>

#include "platform/Exception.h"
#include "project/LinkDataEncoder.h"

namespace vorlin {

TLinkDataWriter::~TLinkDataWriter() {
    if (FThread.joinable()) FThread.join();
}

void TLinkDataWriter::Start(const TDownloadLinks& links, const std::string& hostPath, double version,
                            TOnWritten onWritten, const TLinkSaveProgress& progress, void* sender) {
    Wait();
    std::string encoded = EncodeLinkData(links, version, progress, sender);
    FDone = false;
    FError = nullptr;
    FOnWritten = std::move(onWritten);
    FThread = std::thread(&TLinkDataWriter::Write, this, std::move(encoded), hostPath);
}

void TLinkDataWriter::Write(std::string encoded, std::string hostPath) {
    try {
        WriteLinkDataFile(hostPath, encoded);
    } catch (...) {
        FError = std::current_exception();
    }
    FDone = true;
    if (FOnWritten) FOnWritten();
}

void TLinkDataWriter::Wait() {
    if (!FThread.joinable()) return;
    FThread.join();
    if (FError) {
        std::exception_ptr error = std::exchange(FError, nullptr);
        std::rethrow_exception(error);
    }
}

} // namespace vorlin
