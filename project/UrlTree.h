// The URL tree of a link list: every link filed under the "/"-separated
// segments of its full URL (http:, host, directories, then a final node that
// holds the link). Children keep insertion order. A hash index over
// (parent, name) finds a child without walking its siblings, so a directory
// with a hundred thousand files costs no more than one with ten; nodes come
// from a pool, since they are only ever freed all at once.
#pragma once

#include "project/PointerHashTable.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vorlin {

class TDownloadLink;

struct TLinkTreeNode {
    TDownloadLink* Link = nullptr;  // the link that ends here; null for a directory
    std::string Name;               // the segment text
    TLinkTreeNode* FirstChild = nullptr;
    TLinkTreeNode* LastChild = nullptr;
    TLinkTreeNode* Next = nullptr;  // next sibling
    TLinkTreeNode* Parent = nullptr;
    // Kept by the tree: the next sibling of the same name, and the hash of
    // (Parent, Name) the index files the node under.
    TLinkTreeNode* SameName = nullptr;
    size_t Hash = 0;
};

class TUrlTree {
public:
    TUrlTree() = default;
    ~TUrlTree() = default;
    TUrlTree(const TUrlTree&) = delete;
    TUrlTree& operator=(const TUrlTree&) = delete;

    TLinkTreeNode* Root() { return &FRoot; }

    // Files link under url (its Server + Path); a url without "/" leaves the
    // link outside the tree. Reports "Warning: A File may not have
    // subfolders #1" (with both addresses) to the debug log when the walk
    // passes through a node that holds a link and has children.
    void Insert(const std::string& url, TDownloadLink* link);
    // The link filed under exactly this url, or null. Not for two threads
    // at once (it remembers directories, see FDirectories, as Insert does).
    TDownloadLink* Find(std::string_view url) const;
    // Frees every node but the root.
    void Clear();

private:
    static size_t HashOf(const TLinkTreeNode* node) { return node->Hash; }
    static size_t KeyHash(const TLinkTreeNode* parent, std::string_view name);

    TLinkTreeNode* NewNode();
    TLinkTreeNode* AppendChild(TLinkTreeNode* parent, std::string_view name, TDownloadLink* link);
    // The first child of parent named name, or null.
    TLinkTreeNode* FirstNamed(const TLinkTreeNode* parent, std::string_view name) const;

    // The directory node of url's text up to its last "/" (the root when
    // it names none), or null when some segment of it is not filed;
    // passesFile tells whether the way there passes a node holding a link.
    TLinkTreeNode* DirectoryOf(std::string_view prefix, bool& passesFile) const;

    static constexpr size_t kChunk = 4096;

    // Directories looked up lately, by their text up to the last "/": the
    // links a page names lie in a few directories, and a directory node,
    // once filed, is what its segments find until the tree is cleared.
    struct TDirectoryMemo {
        std::string Prefix;
        TLinkTreeNode* Node = nullptr;
        bool PassesFile = false;  // Insert walks such a way again, to report it
    };
    TDirectoryMemo& MemoOf(std::string_view prefix) const;
    static constexpr size_t kDirectoryMemos = 64;
    mutable std::unique_ptr<TDirectoryMemo[]> FDirectories;

    TLinkTreeNode FRoot;
    TPointerHashTable<TLinkTreeNode, &TUrlTree::HashOf> FIndex;
    std::vector<std::unique_ptr<TLinkTreeNode[]>> FChunks;
    size_t FUsedInChunk = kChunk;
};

} // namespace vorlin
