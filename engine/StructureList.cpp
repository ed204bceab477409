#include "engine/StructureList.h"

namespace vorlin {

void TStructureList::Append(TDownloadLink* link) {
    std::lock_guard<std::mutex> guard(FLock);
    FLinks.push_back(link);
}

TDownloadLink* TStructureList::TakeLast() {
    std::lock_guard<std::mutex> guard(FLock);
    if (FLinks.empty()) return nullptr;
    TDownloadLink* link = FLinks.back();
    FLinks.pop_back();
    return link;
}

size_t TStructureList::Count() const {
    std::lock_guard<std::mutex> guard(FLock);
    return FLinks.size();
}

void TStructureList::Clear() {
    std::lock_guard<std::mutex> guard(FLock);
    FLinks.clear();
}

} // namespace vorlin
