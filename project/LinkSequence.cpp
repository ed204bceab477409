#include "project/LinkSequence.h"

#include "project/DownloadLink.h"

#include <algorithm>

namespace vorlin {

// What leaves and inner nodes share: where they hang.
struct TLinkNode {
    TLinkInner* Parent = nullptr;
    uint32_t Slot = 0;  // index among the parent's children
};

struct TLinkLeaf : TLinkNode {
    TLinkLeaf* Prev = nullptr;
    TLinkLeaf* Next = nullptr;
    uint32_t Count = 0;
    TDownloadLink* Items[TLinkSequence::kLeafCapacity];
};

struct TLinkInner : TLinkNode {
    uint32_t Count = 0;
    bool LeafChildren = true;
    uint64_t Total = 0;  // links below
    TLinkNode* Children[TLinkSequence::kInnerCapacity];
    uint32_t Sizes[TLinkSequence::kInnerCapacity];  // links below each child
};

namespace {

uint32_t SizeOf(TLinkNode* node, bool leaf) {
    return leaf ? static_cast<TLinkLeaf*>(node)->Count
                : static_cast<uint32_t>(static_cast<TLinkInner*>(node)->Total);
}

// Tells the children of node from `from` on where they hang.
void Renumber(TLinkInner* node, uint32_t from) {
    for (uint32_t i = from; i < node->Count; ++i) {
        node->Children[i]->Parent = node;
        node->Children[i]->Slot = i;
    }
}

uint32_t ItemIndex(const TLinkLeaf* leaf, const TDownloadLink* link) {
    const TDownloadLink* const* begin = leaf->Items;
    return static_cast<uint32_t>(std::find(begin, begin + leaf->Count, link) - begin);
}

// Frees an inner node and the inner nodes below it (the leaves go through
// their chain).
void FreeInner(TLinkInner* node) {
    if (!node->LeafChildren)
        for (uint32_t i = 0; i < node->Count; ++i)
            FreeInner(static_cast<TLinkInner*>(node->Children[i]));
    delete node;
}

// Whether node is the last node of its level (appending lands there).
bool IsRightmost(const TLinkInner* node) {
    for (; node->Parent; node = node->Parent)
        if (node->Slot + 1 != node->Parent->Count) return false;
    return true;
}

void Recount(TLinkInner* node) {
    node->Total = 0;
    for (uint32_t i = 0; i < node->Count; ++i) node->Total += node->Sizes[i];
}

} // namespace

void TLinkSequence::Insert(size_t pos, TDownloadLink* link) {
    if (!FRoot) {
        FFirstLeaf = FLastLeaf = new TLinkLeaf;
        FRoot = FFirstLeaf;
        FHeight = 0;
    }
    // Every node on the way down counts the new link now; a split below
    // puts the exact figures back for the nodes it touches.
    TLinkNode* node = FRoot;
    for (int h = FHeight; h > 0; --h) {
        auto* inner = static_cast<TLinkInner*>(node);
        ++inner->Total;
        uint32_t i = 0;
        while (i + 1 < inner->Count && pos > inner->Sizes[i]) pos -= inner->Sizes[i++];
        ++inner->Sizes[i];
        node = inner->Children[i];
    }
    InsertIntoLeaf(static_cast<TLinkLeaf*>(node), pos, link);
    ++FCount;
}

void TLinkSequence::InsertIntoLeaf(TLinkLeaf* leaf, size_t pos, TDownloadLink* link) {
    TLinkLeaf* split = nullptr;
    TLinkLeaf* original = leaf;
    if (leaf->Count == kLeafCapacity) {
        split = SplitLeaf(leaf, pos == kLeafCapacity);
        if (pos > leaf->Count || leaf->Count == kLeafCapacity) {
            pos -= leaf->Count;
            leaf = split;
        }
    }
    std::copy_backward(leaf->Items + pos, leaf->Items + leaf->Count, leaf->Items + leaf->Count + 1);
    leaf->Items[pos] = link;
    ++leaf->Count;
    link->FLeaf = leaf;
    if (split) AttachSibling(original, split, true);
}

// Moves the upper half of a full leaf into a new leaf after it; at the end
// of the sequence the new leaf starts empty, so that appending fills leaves.
TLinkLeaf* TLinkSequence::SplitLeaf(TLinkLeaf* leaf, bool atEnd) {
    auto* right = new TLinkLeaf;
    uint32_t keep = atEnd && !leaf->Next ? leaf->Count : leaf->Count / 2;
    right->Count = leaf->Count - keep;
    std::copy(leaf->Items + keep, leaf->Items + leaf->Count, right->Items);
    for (uint32_t i = 0; i < right->Count; ++i) right->Items[i]->FLeaf = right;
    leaf->Count = keep;
    right->Prev = leaf;
    right->Next = leaf->Next;
    if (leaf->Next)
        leaf->Next->Prev = right;
    else
        FLastLeaf = right;
    leaf->Next = right;
    return right;
}

TLinkInner* TLinkSequence::SplitInner(TLinkInner* node, bool atEnd) {
    auto* right = new TLinkInner;
    right->LeafChildren = node->LeafChildren;
    uint32_t keep = atEnd ? node->Count : node->Count / 2;
    right->Count = node->Count - keep;
    std::copy(node->Children + keep, node->Children + node->Count, right->Children);
    std::copy(node->Sizes + keep, node->Sizes + node->Count, right->Sizes);
    Renumber(right, 0);
    node->Count = keep;
    Recount(node);
    Recount(right);
    return right;
}

// Files sibling right after node in node's parent, splitting upwards as
// needed; both carry their exact sizes afterwards.
void TLinkSequence::AttachSibling(TLinkNode* node, TLinkNode* sibling, bool leaves) {
    TLinkInner* parent = node->Parent;
    if (!parent) {
        auto* root = new TLinkInner;
        root->LeafChildren = leaves;
        root->Count = 2;
        root->Children[0] = node;
        root->Children[1] = sibling;
        root->Sizes[0] = SizeOf(node, leaves);
        root->Sizes[1] = SizeOf(sibling, leaves);
        root->Total = uint64_t{root->Sizes[0]} + root->Sizes[1];
        Renumber(root, 0);
        FRoot = root;
        ++FHeight;
        return;
    }
    uint32_t i = node->Slot;
    parent->Sizes[i] = SizeOf(node, leaves);
    uint32_t at = i + 1;  // where the sibling goes
    TLinkInner* holder = parent;
    TLinkInner* split = nullptr;
    if (parent->Count == kInnerCapacity) {
        split = SplitInner(parent, at == parent->Count && IsRightmost(parent));
        if (at > parent->Count || parent->Count == kInnerCapacity) {
            at -= parent->Count;
            holder = split;
        }
    }
    std::copy_backward(holder->Children + at, holder->Children + holder->Count,
                       holder->Children + holder->Count + 1);
    std::copy_backward(holder->Sizes + at, holder->Sizes + holder->Count,
                       holder->Sizes + holder->Count + 1);
    holder->Children[at] = sibling;
    holder->Sizes[at] = SizeOf(sibling, leaves);
    ++holder->Count;
    Renumber(holder, at);
    if (split) {
        Recount(parent);
        Recount(split);
        AttachSibling(parent, split, false);
    }
}

TDownloadLink* TLinkSequence::At(size_t pos) const {
    if (pos >= FCount) return nullptr;
    TLinkNode* node = FRoot;
    for (int h = FHeight; h > 0; --h) {
        auto* inner = static_cast<TLinkInner*>(node);
        uint32_t i = 0;
        while (pos >= inner->Sizes[i]) pos -= inner->Sizes[i++];
        node = inner->Children[i];
    }
    return static_cast<TLinkLeaf*>(node)->Items[pos];
}

size_t TLinkSequence::IndexOf(const TDownloadLink* link) const {
    const TLinkLeaf* leaf = link->FLeaf;
    size_t pos = ItemIndex(leaf, link);
    for (const TLinkNode* node = leaf; node->Parent; node = node->Parent)
        for (uint32_t k = 0; k < node->Slot; ++k) pos += node->Parent->Sizes[k];
    return pos;
}

TDownloadLink* TLinkSequence::First() const { return FCount ? LinkAt(Begin()) : nullptr; }

TDownloadLink* TLinkSequence::Last() const {
    for (const TLinkLeaf* leaf = FLastLeaf; leaf; leaf = leaf->Prev)
        if (leaf->Count) return leaf->Items[leaf->Count - 1];
    return nullptr;
}

TDownloadLink* TLinkSequence::Next(const TDownloadLink* link) const {
    const TLinkLeaf* leaf = link->FLeaf;
    return LinkAt(Advance(TCursor{leaf, ItemIndex(leaf, link)}));
}

TDownloadLink* TLinkSequence::Prev(const TDownloadLink* link) const {
    const TLinkLeaf* leaf = link->FLeaf;
    uint32_t i = ItemIndex(leaf, link);
    if (i > 0) return leaf->Items[i - 1];
    for (leaf = leaf->Prev; leaf; leaf = leaf->Prev)
        if (leaf->Count) return leaf->Items[leaf->Count - 1];
    return nullptr;
}

TLinkSequence::TCursor TLinkSequence::Begin() const {
    for (const TLinkLeaf* leaf = FFirstLeaf; leaf; leaf = leaf->Next)
        if (leaf->Count) return TCursor{leaf, 0};
    return TCursor{};
}

TDownloadLink* TLinkSequence::LinkAt(TCursor cursor) {
    return cursor.Leaf ? cursor.Leaf->Items[cursor.Index] : nullptr;
}

TLinkSequence::TCursor TLinkSequence::Advance(TCursor cursor) {
    if (!cursor.Leaf) return cursor;
    if (cursor.Index + 1 < cursor.Leaf->Count) return TCursor{cursor.Leaf, cursor.Index + 1};
    for (const TLinkLeaf* leaf = cursor.Leaf->Next; leaf; leaf = leaf->Next)
        if (leaf->Count) return TCursor{leaf, 0};
    return TCursor{};
}

void TLinkSequence::FreeNodes() {
    for (TLinkLeaf* leaf = FFirstLeaf; leaf;) {
        TLinkLeaf* next = leaf->Next;
        delete leaf;
        leaf = next;
    }
    if (FHeight > 0) FreeInner(static_cast<TLinkInner*>(FRoot));
    FRoot = nullptr;
    FHeight = 0;
    FCount = 0;
    FFirstLeaf = FLastLeaf = nullptr;
}

} // namespace vorlin
