// The order of a link list, kept as a B+ tree that counts: leaves hold up to
// 64 links side by side, inner nodes the sizes of their subtrees, and every
// link knows its leaf. Inserting anywhere, "the link at position i" and "the
// position of this link" cost a few short scans per level, about four
// levels at a million links, and touch few cache lines: the scheduler and
// the link data file ask for positions all the time.
//
// The sequence never frees links; Clear hands each one to the caller.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vorlin {

class TDownloadLink;

struct TLinkNode;
struct TLinkLeaf;
struct TLinkInner;

class TLinkSequence {
public:
    static constexpr uint32_t kLeafCapacity = 64;
    static constexpr uint32_t kInnerCapacity = 64;

    TLinkSequence() = default;
    ~TLinkSequence() { FreeNodes(); }
    TLinkSequence(const TLinkSequence&) = delete;
    TLinkSequence& operator=(const TLinkSequence&) = delete;

    size_t Count() const { return FCount; }
    // Makes link the one at pos (0 <= pos <= Count()).
    void Insert(size_t pos, TDownloadLink* link);
    // The link at pos, or null when pos >= Count().
    TDownloadLink* At(size_t pos) const;
    // The position of a link of this sequence.
    size_t IndexOf(const TDownloadLink* link) const;

    TDownloadLink* First() const;
    TDownloadLink* Last() const;
    TDownloadLink* Next(const TDownloadLink* link) const;
    TDownloadLink* Prev(const TDownloadLink* link) const;

    // A place in the sequence for walking it without searching leaves.
    struct TCursor {
        const TLinkLeaf* Leaf = nullptr;
        uint32_t Index = 0;
        bool operator==(const TCursor&) const = default;
    };
    TCursor Begin() const;
    static TDownloadLink* LinkAt(TCursor cursor);
    static TCursor Advance(TCursor cursor);

    // Empties the sequence, handing every link to dispose in order.
    template <typename Dispose> void Clear(Dispose dispose) {
        for (TCursor c = Begin(); c.Leaf; c = Advance(c)) dispose(LinkAt(c));
        FreeNodes();
    }

private:
    void InsertIntoLeaf(TLinkLeaf* leaf, size_t pos, TDownloadLink* link);
    TLinkLeaf* SplitLeaf(TLinkLeaf* leaf, bool atEnd);
    TLinkInner* SplitInner(TLinkInner* node, bool atEnd);
    void AttachSibling(TLinkNode* node, TLinkNode* sibling, bool leaves);
    void FreeNodes();

    TLinkNode* FRoot = nullptr;  // a TLinkLeaf when FHeight is 0, else a TLinkInner
    int FHeight = 0;
    size_t FCount = 0;
    TLinkLeaf* FFirstLeaf = nullptr;
    TLinkLeaf* FLastLeaf = nullptr;
};

} // namespace vorlin
