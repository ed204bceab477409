// The stored copy of a page while it is parsed: a file written through a
// buffer, so that a page of many small text runs and tags costs a few large
// writes instead of one per run. With a page store, the file is made and
// written by the store's thread: errors of writing are the store's to tell,
// under the ticket of the page (LastTicket once it is closed).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace vorlin {

class TFileStream;
class TPageStore;

class TPageWriter {
  public:
    TPageWriter();
    ~TPageWriter();
    TPageWriter(const TPageWriter&) = delete;
    TPageWriter& operator=(const TPageWriter&) = delete;

    // Creates the file (and its directory), replacing one of that name;
    // with confinedTo, below that directory without following a symbolic
    // link. Throws EFileError.
    void Open(const std::string& hostPath, const std::string& confinedTo = std::string());
    bool IsOpen() const { return FFile != nullptr || FTicket != 0; }
    // From the next Open on, the files go through the store (null: written here).
    void SetStore(TPageStore* store) { FStore = store; }
    // The store's ticket of the file last closed; 0 when it was written here.
    uint64_t LastTicket() const { return FLastTicket; }
    void Write(std::string_view bytes);
    // The copy's modification time, set by Close after the last write
    // (0: left as the writing made it).
    void StampOnClose(int64_t unixSeconds) { FStamp = unixSeconds; }
    // Writes what is buffered and closes; throws EStreamError when the data
    // could not be written (the file is closed all the same).
    void Close();
    // Closes without raising; what was buffered is still written if possible.
    void CloseQuietly();

  private:
    void Flush();

    std::unique_ptr<TFileStream> FFile;
    std::string FBuffer;
    int64_t FStamp = 0;
    TPageStore* FStore = nullptr;
    uint64_t FTicket = 0;      // the open file's, written by FStore
    uint64_t FLastTicket = 0;
};

} // namespace vorlin
