#include "project/SharedServerRoot.h"

#include "links/UrlHelpers.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string_view>
#include <unordered_map>

namespace vorlin {

TServerRootEntry::TServerRootEntry(const std::string& server, bool withPort)
    : Server(server), LocalDir(LocalDirOfServer(server, withPort)), WithPort(withPort) {}

namespace {

// The roots in use, per kind of local directory, keyed by views of their
// own Server text.
struct TRootTable {
    std::mutex Lock;
    std::unordered_map<std::string_view, TServerRootEntry*> Roots[2];
};

// Never destroyed: links in static objects may drop their roots after the
// table's own static lifetime would have ended.
TRootTable& Table() {
    static TRootTable* table = new TRootTable;
    return *table;
}

void Release(TServerRootEntry* entry) {
    if (!entry) return;
    // Not the last handle: no need for the table's lock.
    uint32_t handles = entry->Handles.load(std::memory_order_relaxed);
    while (handles > 1)
        if (entry->Handles.compare_exchange_weak(handles, handles - 1, std::memory_order_acq_rel)) return;
    // Perhaps the last: decided under the lock, since a lookup may take the
    // root up again meanwhile.
    TRootTable& table = Table();
    std::lock_guard<std::mutex> lock(table.Lock);
    if (entry->Handles.fetch_sub(1, std::memory_order_acq_rel) != 1) return;
    table.Roots[entry->WithPort].erase(entry->Server);
    delete entry;
}

} // namespace

TSharedServerRoot::TSharedServerRoot(const std::string& server, bool withPort) {
    TRootTable& table = Table();
    std::lock_guard<std::mutex> lock(table.Lock);
    auto& roots = table.Roots[withPort];
    auto it = roots.find(server);
    if (it != roots.end()) {
        FEntry = it->second;
        FEntry->Handles.fetch_add(1, std::memory_order_relaxed);
        return;
    }
    auto* entry = new TServerRootEntry(server, withPort);
    try {
        roots.emplace(entry->Server, entry);
    } catch (...) {
        delete entry;
        throw;
    }
    FEntry = entry;
}

TSharedServerRoot::TSharedServerRoot(const TSharedServerRoot& other) noexcept : FEntry(other.FEntry) {
    if (FEntry) FEntry->Handles.fetch_add(1, std::memory_order_relaxed);
}

TSharedServerRoot::~TSharedServerRoot() { Release(FEntry); }

const std::string& TSharedServerRoot::EmptyText() {
    static const std::string* empty = new std::string;
    return *empty;
}

bool TSharedServerRoot::Is(const std::string& server, bool withPort) const {
    return FEntry && FEntry->WithPort == withPort && FEntry->Server == server;
}

size_t TSharedServerRoot::LiveRoots() {
    TRootTable& table = Table();
    std::lock_guard<std::mutex> lock(table.Lock);
    return table.Roots[0].size() + table.Roots[1].size();
}

} // namespace vorlin
