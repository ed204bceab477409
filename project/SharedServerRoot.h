// The server root of a link ("http://host:port/", or the whole URL of a link
// of another kind) together with the local directory its files go to. A
// project holds a hundred thousand links and more on a handful of roots, so
// both texts are kept once per root and shared: a link holds this 8-byte
// handle instead of two strings of its own. Roots never change; a root
// leaves the shared table with the last handle on it. Handles may be made,
// copied and dropped on any thread.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

namespace vorlin {

// One root as the table keeps it; only TSharedServerRoot touches it.
struct TServerRootEntry {
    TServerRootEntry(const std::string& server, bool withPort);
    const std::string Server;
    const std::string LocalDir;
    const bool WithPort;
    std::atomic<uint32_t> Handles{1};
};

class TSharedServerRoot {
public:
    // No root: both texts are empty.
    TSharedServerRoot() = default;
    // The root of server; its local directory is LocalDirOfServer(server,
    // withPort), worked out once per root.
    TSharedServerRoot(const std::string& server, bool withPort);
    TSharedServerRoot(const TSharedServerRoot& other) noexcept;
    TSharedServerRoot(TSharedServerRoot&& other) noexcept : FEntry(other.FEntry) { other.FEntry = nullptr; }
    TSharedServerRoot& operator=(TSharedServerRoot other) noexcept {
        std::swap(FEntry, other.FEntry);
        return *this;
    }
    ~TSharedServerRoot();

    const std::string& Server() const { return FEntry ? FEntry->Server : EmptyText(); }
    const std::string& LocalDir() const { return FEntry ? FEntry->LocalDir : EmptyText(); }
    // Holds the root of server as made with withPort.
    bool Is(const std::string& server, bool withPort) const;

    // Distinct roots held by some handle just now.
    static size_t LiveRoots();

private:
    static const std::string& EmptyText();

    TServerRootEntry* FEntry = nullptr;
};

} // namespace vorlin
