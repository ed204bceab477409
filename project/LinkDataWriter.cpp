#include "project/LinkDataWriter.h"

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
    FFailed = false;
    FError.clear();
    FOnWritten = std::move(onWritten);
    FThread = std::thread(&TLinkDataWriter::Write, this, std::move(encoded), hostPath);
}

void TLinkDataWriter::Write(std::string encoded, std::string hostPath) {
    try {
        WriteLinkDataFile(hostPath, encoded);
    } catch (const std::exception& e) {
        FFailed = true;
        FError = e.what();
    } catch (...) {
        FFailed = true;
        FError = "unknown error while writing the link data";
    }
    FDone = true;
    if (FOnWritten) FOnWritten();
}

void TLinkDataWriter::Wait() {
    if (!FThread.joinable()) return;
    FThread.join();
    if (FFailed) {
        FFailed = false;
        throw EStreamError(FError);
    }
}

} // namespace vorlin
