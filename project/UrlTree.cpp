#include "project/UrlTree.h"

#include "platform/DebugLog.h"
#include "project/DownloadLink.h"

#include <functional>

namespace vorlin {

size_t TUrlTree::TChildKeyHash::operator()(const TChildKey& k) const {
    size_t h = std::hash<std::string_view>()(k.Name);
    return h ^ (std::hash<const void*>()(k.Parent) + 0x9e3779b97f4a7c15ull + (h << 6) + (h >> 2));
}

const TUrlTree::TChildEntry* TUrlTree::FindEntry(const TLinkTreeNode* parent,
                                                 std::string_view name) const {
    auto it = FChildren.find(TChildKey{parent, name});
    return it == FChildren.end() ? nullptr : &it->second;
}

TLinkTreeNode* TUrlTree::AppendChild(TLinkTreeNode* parent, std::string_view name,
                                     TDownloadLink* link) {
    auto* node = new TLinkTreeNode;
    node->Name.assign(name);
    node->Link = link;
    node->Parent = parent;
    try {
        auto [it, added] = FChildren.try_emplace(TChildKey{parent, node->Name});
        TChildEntry& entry = it->second;
        if (added) entry.First = node;
        if (link && !entry.FirstLinked) entry.FirstLinked = node;
    } catch (...) {
        delete node;
        throw;
    }
    if (parent->LastChild)
        parent->LastChild->Next = node;
    else
        parent->FirstChild = node;
    parent->LastChild = node;
    return node;
}

void TUrlTree::Insert(const std::string& url, TDownloadLink* link) {
    TLinkTreeNode* node = &FRoot;
    size_t segmentStart = 0;
    for (size_t i = 0; i < url.size(); ++i) {
        if (url[i] != '/') continue;
        std::string_view segment(url.data() + segmentStart, i - segmentStart);
        segmentStart = i + 1;
        if (segment.empty()) continue;
        if (!node->FirstChild) {
            node = AppendChild(node, segment, nullptr);
            continue;
        }
        if (node->Link) DebugLog("Warning: A File may not have subfolders #1");
        const TChildEntry* entry = FindEntry(node, segment);
        node = entry ? entry->First : AppendChild(node, segment, nullptr);
    }
    if (node == &FRoot) return;
    // The final node is always a new one, even when a sibling has its name.
    TLinkTreeNode* leaf =
        AppendChild(node, std::string_view(url).substr(segmentStart), link);
    if (link) link->TreeNode = leaf;
}

TDownloadLink* TUrlTree::Find(std::string_view url) const {
    const TLinkTreeNode* node = &FRoot;
    size_t segmentStart = 0;
    for (size_t i = 0; i < url.size(); ++i) {
        if (url[i] != '/') continue;
        std::string_view segment = url.substr(segmentStart, i - segmentStart);
        segmentStart = i + 1;
        if (segment.empty()) continue;
        const TChildEntry* entry = FindEntry(node, segment);
        if (!entry) return nullptr;
        node = entry->First;
    }
    if (node == &FRoot) return nullptr;
    // Not just the first child of that name: a directory node may come
    // before the node that holds the link (http://h/a/x filed before
    // http://h/a), and the link must still be found.
    const TChildEntry* entry = FindEntry(node, url.substr(segmentStart));
    return entry && entry->FirstLinked ? entry->FirstLinked->Link : nullptr;
}

void TUrlTree::Clear() {
    FChildren.clear();
    TLinkTreeNode* node = FRoot.FirstChild;
    while (node && node != &FRoot) {
        if (node->FirstChild) {
            node = node->FirstChild;
            continue;
        }
        TLinkTreeNode* next = node->Next;
        TLinkTreeNode* parent = node->Parent;
        delete node;
        if (next) {
            node = next;
        } else {
            parent->FirstChild = nullptr;
            parent->LastChild = nullptr;
            node = parent;
        }
    }
    FRoot.FirstChild = FRoot.LastChild = nullptr;
}

} // namespace vorlin
