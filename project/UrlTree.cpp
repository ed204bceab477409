#include "project/UrlTree.h"

#include "platform/DebugLog.h"
#include "project/DownloadLink.h"

#include <functional>

namespace vorlin {

size_t TUrlTree::KeyHash(const TLinkTreeNode* parent, std::string_view name) {
    size_t h = std::hash<std::string_view>()(name);
    return h ^ (std::hash<const void*>()(parent) + 0x9e3779b97f4a7c15ull + (h << 6) + (h >> 2));
}

TLinkTreeNode* TUrlTree::NewNode() {
    if (FUsedInChunk == kChunk) {
        FChunks.push_back(std::make_unique<TLinkTreeNode[]>(kChunk));
        FUsedInChunk = 0;
    }
    return &FChunks.back()[FUsedInChunk++];
}

TLinkTreeNode* TUrlTree::FirstNamed(const TLinkTreeNode* parent, std::string_view name) const {
    return FIndex.Find(KeyHash(parent, name), [&](const TLinkTreeNode* n) {
        return n->Parent == parent && n->Name == name;
    });
}

TLinkTreeNode* TUrlTree::AppendChild(TLinkTreeNode* parent, std::string_view name,
                                     TDownloadLink* link) {
    TLinkTreeNode* first = parent->FirstChild ? FirstNamed(parent, name) : nullptr;
    TLinkTreeNode* node = NewNode();
    node->Name.assign(name);
    node->Link = link;
    node->Parent = parent;
    node->Hash = KeyHash(parent, name);
    if (first) {
        while (first->SameName) first = first->SameName;
        first->SameName = node;
    } else {
        FIndex.Insert(node);
    }
    if (parent->LastChild)
        parent->LastChild->Next = node;
    else
        parent->FirstChild = node;
    parent->LastChild = node;
    return node;
}

TUrlTree::TDirectoryMemo& TUrlTree::MemoOf(std::string_view prefix) const {
    if (!FDirectories) FDirectories = std::make_unique<TDirectoryMemo[]>(kDirectoryMemos);
    return FDirectories[std::hash<std::string_view>()(prefix) % kDirectoryMemos];
}

void TUrlTree::Insert(const std::string& url, TDownloadLink* link) {
    const size_t lastSlash = url.rfind('/');
    if (lastSlash == std::string::npos) return;
    // Links come in runs of one directory (a page's, a loaded list's): its
    // node is remembered, unless the way there passes a file, which the
    // walk reports each time.
    const std::string_view prefix = std::string_view(url).substr(0, lastSlash + 1);
    TDirectoryMemo& memo = MemoOf(prefix);
    TLinkTreeNode* node = memo.Node && !memo.PassesFile && memo.Prefix == prefix ? memo.Node : nullptr;
    if (!node) {
        node = &FRoot;
        bool passesFile = false;
        size_t segmentStart = 0;
        for (size_t i = 0; i <= lastSlash; ++i) {
            if (url[i] != '/') continue;
            std::string_view segment(url.data() + segmentStart, i - segmentStart);
            segmentStart = i + 1;
            if (segment.empty()) continue;
            // Reported once the file has children; remembered as passed at once.
            if (node->Link) passesFile = true;
            if (!node->FirstChild) {
                node = AppendChild(node, segment, nullptr);
                continue;
            }
            if (node->Link) {
                DebugLog("Warning: A File may not have subfolders #1: " + url + " lies below " +
                         node->Link->FullURL() + ", which is a file");
            }
            TLinkTreeNode* child = FirstNamed(node, segment);
            node = child ? child : AppendChild(node, segment, nullptr);
        }
        memo.Prefix.assign(prefix);
        memo.Node = node;
        memo.PassesFile = passesFile;
    }
    if (node == &FRoot) return;
    // The final node is always a new one, even when a sibling has its name.
    TLinkTreeNode* leaf = AppendChild(node, std::string_view(url).substr(lastSlash + 1), link);
    if (link) link->TreeNode = leaf;
}

TLinkTreeNode* TUrlTree::DirectoryOf(std::string_view prefix, bool& passesFile) const {
    TLinkTreeNode* node = const_cast<TLinkTreeNode*>(&FRoot);
    passesFile = false;
    size_t segmentStart = 0;
    // From "/" to "/" by find: this runs for every link of every page.
    for (size_t i = prefix.find('/'); i != std::string_view::npos; i = prefix.find('/', i + 1)) {
        std::string_view segment = prefix.substr(segmentStart, i - segmentStart);
        segmentStart = i + 1;
        if (segment.empty()) continue;
        if (node->Link) passesFile = true;
        node = FirstNamed(node, segment);
        if (!node) return nullptr;
    }
    return node;
}

TDownloadLink* TUrlTree::Find(std::string_view url) const {
    const size_t lastSlash = url.rfind('/');
    if (lastSlash == std::string_view::npos) return nullptr;
    const std::string_view prefix = url.substr(0, lastSlash + 1);
    TDirectoryMemo& memo = MemoOf(prefix);
    const TLinkTreeNode* node = memo.Node && memo.Prefix == prefix ? memo.Node : nullptr;
    if (!node) {
        bool passesFile = false;
        TLinkTreeNode* found = DirectoryOf(prefix, passesFile);
        if (!found) return nullptr;
        memo.Prefix.assign(prefix);
        memo.Node = found;
        memo.PassesFile = passesFile;
        node = found;
    }
    if (node == &FRoot) return nullptr;
    // Not just the first child of that name: a directory node may come
    // before the node that holds the link (http://h/a/x filed before
    // http://h/a), and the link must still be found.
    for (const TLinkTreeNode* n = FirstNamed(node, url.substr(lastSlash + 1)); n; n = n->SameName)
        if (n->Link) return n->Link;
    return nullptr;
}

void TUrlTree::Clear() {
    FDirectories.reset();
    FIndex.Clear();
    FChunks.clear();
    FUsedInChunk = kChunk;
    FRoot.FirstChild = FRoot.LastChild = nullptr;
}

} // namespace vorlin
