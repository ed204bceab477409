// A sequence kept as an implicit treap: nodes are ordered by position only,
// and every node knows the size of its subtree and its parent. Insertion,
// removal anywhere, "the i-th node" and "the position of this node" cost
// O(log n) expected: the downloaded and filtered-out lists of a run lose
// links again while the run goes on, at any place.
//
// The tree is intrusive: a node type carries a TOrderHook member and the tree
// is told which one. The tree never allocates or frees nodes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vorlin {

template <typename Node> struct TOrderHook {
    Node* Left = nullptr;
    Node* Right = nullptr;
    Node* Parent = nullptr;
    uint32_t Size = 0;      // nodes in this subtree; 0 while not in a tree
    uint32_t Priority = 0;  // heap order that keeps the tree balanced
};

template <typename Node, TOrderHook<Node> Node::*Hook> class TOrderTree {
public:
    size_t Count() const { return SizeOf(FRoot); }

    // Makes node the one at position pos (0 <= pos <= Count()).
    void Insert(size_t pos, Node* node) {
        TOrderHook<Node>& h = node->*Hook;
        h.Left = h.Right = h.Parent = nullptr;
        h.Size = 1;
        h.Priority = NextPriority();
        if (!FRoot) {
            FRoot = node;
            return;
        }
        Node* cur = FRoot;
        for (;;) {
            TOrderHook<Node>& c = cur->*Hook;
            ++c.Size;
            size_t left = SizeOf(c.Left);
            if (pos <= left) {
                if (!c.Left) {
                    c.Left = node;
                    break;
                }
                cur = c.Left;
            } else {
                pos -= left + 1;
                if (!c.Right) {
                    c.Right = node;
                    break;
                }
                cur = c.Right;
            }
        }
        h.Parent = cur;
        while (h.Parent && (h.Parent->*Hook).Priority < h.Priority) RotateUp(node);
    }

    void PushBack(Node* node) { Insert(Count(), node); }

    // Takes node out of the tree (it must be in this tree).
    void Erase(Node* node) {
        TOrderHook<Node>& h = node->*Hook;
        while (h.Left || h.Right) {
            Node* child;
            if (!h.Right)
                child = h.Left;
            else if (!h.Left)
                child = h.Right;
            else
                child = (h.Left->*Hook).Priority > (h.Right->*Hook).Priority ? h.Left : h.Right;
            RotateUp(child);
        }
        Node* parent = h.Parent;
        if (!parent)
            FRoot = nullptr;
        else if ((parent->*Hook).Left == node)
            (parent->*Hook).Left = nullptr;
        else
            (parent->*Hook).Right = nullptr;
        for (Node* p = parent; p; p = (p->*Hook).Parent) --(p->*Hook).Size;
        h.Parent = nullptr;
        h.Size = 0;
    }

    // The node at position pos, or null when pos >= Count().
    Node* At(size_t pos) const {
        Node* cur = FRoot;
        while (cur) {
            const TOrderHook<Node>& c = cur->*Hook;
            size_t left = SizeOf(c.Left);
            if (pos < left) {
                cur = c.Left;
            } else if (pos == left) {
                return cur;
            } else {
                pos -= left + 1;
                cur = c.Right;
            }
        }
        return nullptr;
    }

    // The position of a node of this tree.
    size_t IndexOf(const Node* node) const {
        size_t index = SizeOf((node->*Hook).Left);
        for (const Node* cur = node; (cur->*Hook).Parent; cur = (cur->*Hook).Parent) {
            const Node* parent = (cur->*Hook).Parent;
            if ((parent->*Hook).Right == cur) index += SizeOf((parent->*Hook).Left) + 1;
        }
        return index;
    }

    Node* First() const { return FRoot ? Leftmost(FRoot) : nullptr; }
    static Node* Next(const Node* node) {
        const TOrderHook<Node>& h = node->*Hook;
        if (h.Right) return Leftmost(h.Right);
        const Node* cur = node;
        Node* parent = h.Parent;
        while (parent && (parent->*Hook).Right == cur) {
            cur = parent;
            parent = (parent->*Hook).Parent;
        }
        return parent;
    }

    // Empties the tree, handing every node to dispose (children before
    // their parent, so dispose may free the node).
    template <typename Dispose> void Clear(Dispose dispose) {
        Node* cur = FRoot;
        FRoot = nullptr;
        while (cur) {
            TOrderHook<Node>& c = cur->*Hook;
            if (c.Left) {
                cur = c.Left;
            } else if (c.Right) {
                cur = c.Right;
            } else {
                Node* parent = c.Parent;
                if (parent) {
                    TOrderHook<Node>& p = parent->*Hook;
                    (p.Left == cur ? p.Left : p.Right) = nullptr;
                }
                c.Parent = nullptr;
                c.Size = 0;
                dispose(cur);
                cur = parent;
            }
        }
    }

private:
    static size_t SizeOf(const Node* node) { return node ? (node->*Hook).Size : 0; }
    static void UpdateSize(Node* node) {
        TOrderHook<Node>& h = node->*Hook;
        h.Size = static_cast<uint32_t>(SizeOf(h.Left) + SizeOf(h.Right) + 1);
    }
    static Node* Leftmost(Node* node) {
        while ((node->*Hook).Left) node = (node->*Hook).Left;
        return node;
    }
    // Lifts node above its parent, keeping the order and the subtree sizes.
    void RotateUp(Node* node) {
        TOrderHook<Node>& x = node->*Hook;
        Node* parent = x.Parent;
        TOrderHook<Node>& p = parent->*Hook;
        Node* grand = p.Parent;
        if (p.Left == node) {
            p.Left = x.Right;
            if (x.Right) (x.Right->*Hook).Parent = parent;
            x.Right = parent;
        } else {
            p.Right = x.Left;
            if (x.Left) (x.Left->*Hook).Parent = parent;
            x.Left = parent;
        }
        p.Parent = node;
        x.Parent = grand;
        if (!grand)
            FRoot = node;
        else if ((grand->*Hook).Left == parent)
            (grand->*Hook).Left = node;
        else
            (grand->*Hook).Right = node;
        UpdateSize(parent);
        UpdateSize(node);
    }

    // xorshift32: deterministic, so a list built twice has the same shape.
    uint32_t NextPriority() {
        FSeed ^= FSeed << 13;
        FSeed ^= FSeed >> 17;
        FSeed ^= FSeed << 5;
        return FSeed;
    }

    Node* FRoot = nullptr;
    uint32_t FSeed = 2463534242u;
};

} // namespace vorlin
