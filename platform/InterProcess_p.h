// Internals of the inter-program layer shared by its files: the names in the
// runtime directory, the directory lock, the client side of one exchange and
// the per-process host that serves this program's atoms and windows.
#pragma once

#include "platform/InterProcess.h"
#include "platform/InterProcessWire.h"

#include <sys/types.h>

#include <memory>
#include <string>
#include <string_view>

namespace vorlin::ipc {

// A file name part for an atom or window class: ASCII case folded (the
// names compare without regard to case, as on the original platform),
// [a-z0-9_.-] kept, every other byte as %XX; a long name becomes "#" and a
// hash of it.
std::string EncodeName(std::string_view name);

// Entries of the runtime directory (see platform/README.md).
std::string ProcessSocketPath(const std::string& directory, pid_t pid);
std::string AtomEntryPrefix(const std::string& directory, std::string_view atom);  // + pid
std::string WindowEntryPath(const std::string& directory, std::string_view windowClass);

// "<pid>:<window id in hex>", the content of a window entry.
std::string WindowEntryTarget(TRemoteWindow window);
TRemoteWindow ParseWindowEntryTarget(std::string_view text);

inline pid_t ProcessOf(TRemoteWindow window) { return static_cast<pid_t>(window >> 32); }
inline uint32_t IdOf(TRemoteWindow window) { return static_cast<uint32_t>(window & 0xFFFFFFFFu); }
inline TRemoteWindow MakeWindow(pid_t pid, uint32_t id) {
    return (static_cast<TRemoteWindow>(static_cast<uint32_t>(pid)) << 32) | id;
}

// Serialises changes to the directory's entries between programs (flock on
// its ".lock"), so that two programs taking over the same stale name can't
// both win.
class TDirectoryLock {
public:
    explicit TDirectoryLock(const std::string& directory);
    ~TDirectoryLock();
    TDirectoryLock(const TDirectoryLock&) = delete;
    TDirectoryLock& operator=(const TDirectoryLock&) = delete;

private:
    int FFd = -1;
};

// The runtime directory, created and checked; empty when it can't be used
// (reported to the debug log once).
std::string UsableDirectory();

// Whether the other end of a connected socket is a program of our own user.
bool PeerIsUs(int fd);

// One request and its reply over a fresh connection, with time limits on
// every step. erNoServer: nobody listens there (a dead program's name).
enum class TExchange { erOk, erNoServer, erFailed };
TExchange Exchange(const std::string& socketPath, const TRequest& request, TReply& reply);

// Whether the program behind a window value still has that window; its
// title on the way.
bool QueryWindow(const std::string& directory, TRemoteWindow window, std::string* title = nullptr);

// This program's server: its socket, the thread that answers on it and the
// atoms and windows it holds. Started on first use, ended with the program.
class THost {
public:
    virtual ~THost() = default;
    // The host for the current runtime directory; null when it can't run.
    static std::shared_ptr<THost> Get();

    virtual const std::string& Directory() const = 0;
    // Adds a window (returns its value, 0 on failure) / removes it.
    virtual TRemoteWindow AddWindow(THandle target, const std::string& windowClass, const std::string& title) = 0;
    virtual void RemoveWindow(TRemoteWindow window) = 0;
    virtual void SetTitle(TRemoteWindow window, const std::string& title) = 0;
    virtual bool HasWindow(TRemoteWindow window) const = 0;
    // Counted, as global atoms are; true on the first add.
    virtual bool AddAtom(const std::string& name) = 0;
    // True when the last reference went.
    virtual bool RemoveAtom(const std::string& name) = 0;
};

} // namespace vorlin::ipc
