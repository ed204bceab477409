// Writes a link data file beside the thread that owns the list: Start takes
// the snapshot (the encoded list, made on the calling thread, which may then
// change the list at will) and hands compressing and writing to a thread of
// its own. An autosave so holds up a run only for the snapshot.
#pragma once

#include "project/DownloadLinks.h"

#include <atomic>
#include <exception>
#include <functional>
#include <string>
#include <thread>

namespace vorlin {

class TLinkDataWriter {
public:
    // Called on the writing thread once the file is complete or has failed.
    using TOnWritten = std::function<void()>;

    TLinkDataWriter() = default;
    // Waits for a write still in progress; its error is dropped.
    ~TLinkDataWriter();
    TLinkDataWriter(const TLinkDataWriter&) = delete;
    TLinkDataWriter& operator=(const TLinkDataWriter&) = delete;

    // Encodes the list now and writes it to hostPath (replacing the file
    // only once the new one is complete) on the writing thread. Waits first
    // for an earlier write of this writer. Encoding errors throw here;
    // progress is reported while encoding, as SaveToFile reports it.
    void Start(const TDownloadLinks& links, const std::string& hostPath, double version,
               TOnWritten onWritten = {}, const TLinkSaveProgress& progress = {}, void* sender = nullptr);
    // A write was started and has not been waited for.
    bool Started() const { return FThread.joinable(); }
    // The started write has ended (Wait then returns at once).
    bool Done() const { return FDone; }
    // Waits for the started write; throws its error as it was raised (an
    // EFileError keeps its errno, so a full disk is told apart). Nothing to
    // wait for: returns at once.
    void Wait();

private:
    void Write(std::string encoded, std::string hostPath);

    std::thread FThread;
    std::atomic<bool> FDone{false};
    std::exception_ptr FError;  // set by the writing thread before FDone
    TOnWritten FOnWritten;
};

} // namespace vorlin
