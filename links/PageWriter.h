// The stored copy of a page while it is parsed: a file written through a
// buffer, so that a page of many small text runs and tags costs a few large
// writes instead of one per run.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace vorlin {

class TFileStream;

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
    bool IsOpen() const { return FFile != nullptr; }
    void Write(std::string_view bytes);
    // Writes what is buffered and closes; throws EStreamError when the data
    // could not be written (the file is closed all the same).
    void Close();
    // Closes without raising; what was buffered is still written if possible.
    void CloseQuietly();

  private:
    void Flush();

    std::unique_ptr<TFileStream> FFile;
    std::string FBuffer;
};

} // namespace vorlin
