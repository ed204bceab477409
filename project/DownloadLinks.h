// The project's link list: every link the project has ever met, in crawl
// order (the start link first, each page's other links right after it, pages
// at the end), with the URL tree that answers "is this URL known already"
// without a scan, and the link data file (".dat") the list persists in.
#pragma once

#include "platform/Exception.h"
#include "project/DownloadLink.h"
#include "project/LinkIterator.h"
#include "project/LinkMemo.h"
#include "project/LocalNameIndex.h"
#include "project/LinkSequence.h"
#include "project/UrlTree.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace vorlin {

class TDownloadProject;
class TStream;

// The link data file could not be read; the links read before the error
// stay in the list.
class ELoadLinksException : public Exception {
public:
    using Exception::Exception;
};

// Called after each link written: sender, project, percent done (0..100).
using TLinkSaveProgress = std::function<void(void* sender, TDownloadProject* project, int percent)>;

// The version written by SaveToFile callers today. 0.98 has the layout of
// 0.97; it says that local directories carry non-default ports.
constexpr double kLinkDataVersion = 0.98;
// The last version whose local directories are host names alone.
constexpr double kLinkDataVersionHostDirs = 0.97;

class TDownloadLinks {
public:
    using TOnChange = std::function<void(TDownloadLink* added)>;

    explicit TDownloadLinks(TDownloadProject* project);
    ~TDownloadLinks();
    TDownloadLinks(const TDownloadLinks&) = delete;
    TDownloadLinks& operator=(const TDownloadLinks&) = delete;

    // Appends the link, files it into the URL tree, raises OnChange; returns
    // its index. The list owns the link from the call on, also when the call
    // throws (then the link is freed) - unless it is null or already in a
    // list, which the call refuses without taking it.
    int Add(TDownloadLink* link);
    int Add(std::unique_ptr<TDownloadLink> link) { return Add(link.release()); }
    // Inserts at index (0..Count()), then as Add.
    void Insert(int index, TDownloadLink* link);
    // Insert(IndexOf(page) + 1, link): how a page's non-page links are filed.
    void InsertAfter(TDownloadLink* page, TDownloadLink* link);

    int Count() const { return static_cast<int>(FOrder.Count()); }
    // Throws Exception "List index out of bounds (%d)".
    TDownloadLink* Items(int index) const;
    TDownloadLink* operator[](int index) const { return Items(index); }
    // -1 when the link is not in this list.
    int IndexOf(const TDownloadLink* link) const;

    // In-order walk; null past either end.
    TDownloadLink* First() const { return FOrder.First(); }
    TDownloadLink* Last() const { return FOrder.Last(); }
    TDownloadLink* Next(const TDownloadLink* link) const { return FOrder.Next(link); }
    TDownloadLink* Prev(const TDownloadLink* link) const { return FOrder.Prev(link); }

    // Walks the list in order; cheaper per step than Next(). Adding links
    // while walking invalidates the iterator.
    using iterator = TLinkIterator<TLinkSequence::TCursor, &TLinkSequence::LinkAt,
                                   &TLinkSequence::Advance>;
    iterator begin() const { return iterator(FOrder.Begin()); }
    iterator end() const { return iterator(); }

    // True, with the link, when the full URL is filed in the tree with a link.
    bool AlreadyFound(const std::string& url, TDownloadLink*& link) const;
    // Changes whenever a link is filed or the list is cleared: while it stays
    // the same, every AlreadyFound answers as before.
    uint64_t Generation() const { return FGeneration; }

    // Does a link on server root `server` already have the local name `name`?
    bool LocalNameTaken(const std::string& server, const std::string& name) const {
        return FNames.Contains(server, name);
    }
    // Re-files a link of this list in the name index after its Server or
    // LocalFileName changed behind the list's back.
    void LocalNameChanged(TDownloadLink& link);

    // Frees every link and every tree node but the root.
    void Clear();

    // Numbers every link by its position: until the list changes, NumberOf
    // answers IndexOf at the cost of reading the link.
    void NumberLinks() const;
    int NumberOf(const TDownloadLink* link) const {
        return link && link->FOwner == this ? link->FNumber : -1;
    }
    // Asks the processor for what NumberOf will read: the references of a
    // large list lie scattered over memory, and one waits for each otherwise.
    static void PrefetchNumber(const TDownloadLink* link) {
        __builtin_prefetch(&link->FOwner);
        __builtin_prefetch(&link->FNumber);
    }
    // The links came from a link data file that predates ports in local
    // directories: their local directories are host names alone, and the
    // file is written back in that version (see LocalDirOfServer).
    bool LegacyLocalDirs = false;

    // Reads the link data file into the list; the version of the file, or 0
    // when there is no file. Throws ELoadLinksException.
    double LoadFromFile(const std::string& hostPath);
    // The same from the compressed bytes of such a file.
    double LoadFromStream(TStream& compressed);
    // Writes the link data file, replacing an old one only once the new one
    // is complete. Errors propagate.
    void SaveToFile(const std::string& hostPath, const TLinkSaveProgress& progress = {},
                    void* sender = nullptr, double version = kLinkDataVersion) const;

private:
    void Attach(int index, TDownloadLink* link);

    // Declared before Root, which points into it.
    TUrlTree FTree;
    TLinkSequence FOrder;
    TLocalNameIndex FNames;
    uint64_t FGeneration = 0;

public:
    TDownloadProject* const Project;
    TOnChange OnChange;
    // The link parser's memo of texts already resolved to links of this
    // list; forgotten when the list is cleared.
    TLinkMemo ResolvedTexts;
    TLinkTreeNode* const Root;  // the URL tree's root: no link, empty name
};

} // namespace vorlin
