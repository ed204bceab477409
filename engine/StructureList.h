// The list through which changed links reach the main window's structure
// view: the run appends every link that was added to the link list or
// changed its state; the main window takes them off the end on a timer.
// Every access holds the list's own lock, and nothing else is locked with it.
//
// The links belong to the run's project. The front end drains the list only
// while the run reports ssRunning; before the run frees its links at its end
// it empties the list, so no entry outlives its link.
#pragma once

#include <cstddef>
#include <mutex>
#include <vector>

namespace vorlin {

class TDownloadLink;

class TStructureList {
public:
    void Append(TDownloadLink* link);
    // The most recently appended link, removed from the list; null when empty.
    TDownloadLink* TakeLast();
    size_t Count() const;
    void Clear();

private:
    mutable std::mutex FLock;
    std::vector<TDownloadLink*> FLinks;
};

} // namespace vorlin
