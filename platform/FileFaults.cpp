#include "platform/FileFaults.h"

#include <algorithm>
#include <atomic>
#include <mutex>

namespace vorlin {

namespace {

struct TFullDisk {
    std::mutex Lock;
    std::string Directory;
    int64_t Room = 0;
    int Error = 0;
};

TFullDisk& FullDisk() {
    static TFullDisk disk;
    return disk;
}

// Read without the lock on every write of every file: the common case.
std::atomic<bool> gArmed{false};

} // namespace

void SimulateFullDisk(const std::string& directory, int64_t allowedBytes, int error) {
    TFullDisk& disk = FullDisk();
    std::lock_guard<std::mutex> g(disk.Lock);
    disk.Directory = directory;
    disk.Room = std::max<int64_t>(0, allowedBytes);
    disk.Error = error;
    gArmed = true;
}

void ClearSimulatedFullDisk() {
    TFullDisk& disk = FullDisk();
    std::lock_guard<std::mutex> g(disk.Lock);
    gArmed = false;
    disk.Directory.clear();
}

int64_t SimulatedRoom(const std::string& path, int64_t count, int& error) {
    if (!gArmed) return count;
    TFullDisk& disk = FullDisk();
    std::lock_guard<std::mutex> g(disk.Lock);
    if (disk.Directory.empty() || path.compare(0, disk.Directory.size(), disk.Directory) != 0) return count;
    int64_t room = std::min(count, disk.Room);
    disk.Room -= room;
    if (room < count) error = disk.Error;
    return room;
}

} // namespace vorlin
