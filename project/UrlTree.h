// The URL tree of a link list: every link filed under the "/"-separated
// segments of its full URL (http:, host, directories, then a final node that
// holds the link). Children keep insertion order; a hash index over
// (parent, name) finds a child without walking its siblings, so a directory
// with a hundred thousand files costs no more than one with ten.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>

namespace vorlin {

class TDownloadLink;

struct TLinkTreeNode {
    TDownloadLink* Link = nullptr;  // the link that ends here; null for a directory
    std::string Name;               // the segment text
    TLinkTreeNode* FirstChild = nullptr;
    TLinkTreeNode* LastChild = nullptr;
    TLinkTreeNode* Next = nullptr;  // next sibling
    TLinkTreeNode* Parent = nullptr;
};

class TUrlTree {
public:
    TUrlTree() = default;
    ~TUrlTree() { Clear(); }
    TUrlTree(const TUrlTree&) = delete;
    TUrlTree& operator=(const TUrlTree&) = delete;

    TLinkTreeNode* Root() { return &FRoot; }

    // Files link under url (its Server + Path); a url without "/" leaves the
    // link outside the tree. Reports "Warning: A File may not have
    // subfolders #1" to the debug log when the walk passes through a node
    // that holds a link and has children.
    void Insert(const std::string& url, TDownloadLink* link);
    // The link filed under exactly this url, or null.
    TDownloadLink* Find(std::string_view url) const;
    // Frees every node but the root.
    void Clear();

private:
    struct TChildKey {
        const TLinkTreeNode* Parent;
        std::string_view Name;  // views the Name of the first child so named
        bool operator==(const TChildKey&) const = default;
    };
    struct TChildKeyHash {
        size_t operator()(const TChildKey& k) const;
    };
    struct TChildEntry {
        TLinkTreeNode* First = nullptr;       // first child of that name
        TLinkTreeNode* FirstLinked = nullptr; // first one that holds a link
    };

    TLinkTreeNode* AppendChild(TLinkTreeNode* parent, std::string_view name, TDownloadLink* link);
    const TChildEntry* FindEntry(const TLinkTreeNode* parent, std::string_view name) const;

    TLinkTreeNode FRoot;
    std::unordered_map<TChildKey, TChildEntry, TChildKeyHash> FChildren;
};

} // namespace vorlin
