// A forward iterator over links, for the lists that hold them: a cursor
// type, how to read the link at a cursor and how to step on. A
// value-initialised cursor is the end.
#pragma once

#include <cstddef>
#include <iterator>

namespace vorlin {

class TDownloadLink;

template <typename Cursor, TDownloadLink* (*LinkOf)(Cursor), Cursor (*Step)(Cursor)>
class TLinkIterator {
public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = TDownloadLink*;
    using difference_type = std::ptrdiff_t;
    using pointer = TDownloadLink**;
    using reference = TDownloadLink*;

    TLinkIterator() = default;
    explicit TLinkIterator(Cursor cursor) : FCursor(cursor) {}
    TDownloadLink* operator*() const { return LinkOf(FCursor); }
    TLinkIterator& operator++() {
        FCursor = Step(FCursor);
        return *this;
    }
    TLinkIterator operator++(int) {
        TLinkIterator old = *this;
        FCursor = Step(FCursor);
        return old;
    }
    bool operator==(const TLinkIterator& other) const { return FCursor == other.FCursor; }

private:
    Cursor FCursor{};
};

} // namespace vorlin
