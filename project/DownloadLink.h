// One known URL of a project: where it lives on the server, where its file
// goes on disk, what kind of object it is, how deep it lies, what the server
// said about it and whether it has been downloaded or filtered out. It also
// carries the admission checks that apply the project's limits and rules.
#pragma once

#include "platform/DateTime.h"
#include "links/LinkTypes.h"
#include "project/CriticalSection.h"
#include "project/LinkPool.h"
#include "project/SharedServerRoot.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vorlin {

class TDownloadProject;
class TDownloadLinks;
class TLocalNameIndex;
class TLinkSequence;
struct TLinkLeaf;
struct TLinkTreeNode;

class TDownloadLink {
public:
    explicit TDownloadLink(TDownloadProject* project) : Project(project) {}
    TDownloadLink(const TDownloadLink&) = delete;
    TDownloadLink& operator=(const TDownloadLink&) = delete;
    // Links live in their own pool (project/LinkPool.h).
    static void* operator new(size_t size) { return TLinkPool::Take(size); }
    static void operator delete(void* block, size_t size) noexcept { TLinkPool::Give(block, size); }

    // Fields in their stored order (see the link data file), but for the
    // flags, which fill the bytes after the small integers: a run holds a
    // hundred thousand links and more, so every padding byte counts.
    TDownloadProject* Project;    // owner, not owned
    // Server: "http://host/"; the whole URL for other kinds. LocalDir: the
    // host part of Server + "\". Both shared by the links of one root.
    const std::string& Server() const { return FRoot.Server(); }
    const std::string& LocalDir() const { return FRoot.LocalDir(); }
    std::string Path;             // after the root's "/", percent-encoded, query included
    std::string LocalFileName;    // below LocalDir, "\" separated
    std::string MimeType;         // content type of the last response
    std::string ScopeDir;         // start directory bounding the scope
    std::string TagName;          // upper-case tag the link was found in
    TDateTime LastModified = 0;   // as the server reported it
    int32_t Slot = 0;             // 0 unclaimed, -1 claimed, n > 0 fetched by client n
    int32_t Size = 0;             // bytes
    int32_t Level = 0;            // 0 for the start link
    int32_t ExternalLevel = 0;    // depth outside the scope
    TLinkType LinkType = ltSource;
    bool BaseResolved = false;    // resolved against a BASE reference: inside the scope
    bool Invalid = false;         // local name holds characters a file name can't
    bool SendCredentials = false;
    TLinkState State = lsPending;
    TLinkKind Kind = lkHttp;
    bool Forced = false;          // load whatever the limits and filters say
    // Not stored from here on.
    bool OpenAfterDownload = false;    // open the file once it has been downloaded
    std::vector<TDownloadLink*> References;  // links found on this page (not owned)
    std::vector<TDownloadLink*> Referrers;   // pages this link was found on (not owned)
    std::string Anchor;           // "#..." cut from the URL
    void* StructureNode = nullptr;     // the main window's view node; not stored
    TLinkTreeNode* TreeNode = nullptr; // URL tree node holding the link
    // Redirects in a row that led to this link in this run (not stored): a
    // chain of ever-new addresses ends when it gets too long.
    int16_t RedirectHops = 0;
    bool Excluded = false;        // set by a rule action
    // The end-of-run repair noted since when its referrers name its
    // address only (not stored): spares the repair a look-up per reference.
    bool AddressOnlyNoted = false;

    void Lock() { FLock.lock(); }
    void Unlock() { FLock.unlock(); }

    // Sets Server and derives LocalDir from its host.
    void SetServer(const std::string& server);
    // Server + Path.
    std::string FullURL() const { return Server() + Path; }
    // Sets LocalFileName, keeping the owning list's name index current.
    void SetLocalFileName(const std::string& name);
    // Appends "index.html" when LocalFileName is empty or names a directory
    // (ends in "\"), as is done before the file is written.
    void CompleteLocalFileName();

    // The list that owns the link, or null.
    TDownloadLinks* Owner() const { return FOwner; }

    // Forced, or any plugin forces the link.
    bool IsForced();
    // The link lies outside the project's scope (plugins confirming).
    bool IsOutOfScope();
    // May the link be requested? Runs the rules of phase 0.
    bool AcceptBeforeRequest();
    // Of a link out of scope: the project's settings do not follow it that
    // far (a rule may still force it).
    bool ExternalTooFar();
    // The extension of its local name is on the project's exclude list.
    bool ExcludedByExtension();
    // May the response be stored? (MimeType and Size known.) Runs phase 1.
    bool AcceptAfterHeaders();

private:
    friend class TDownloadLinks;
    friend class TLocalNameIndex;
    friend class TLinkSequence;

    // The lock and the two numbers first: they fill the room the fields
    // above leave before the next 8-byte boundary.
    TCriticalSection FLock;
    // Its position, as the list numbered its links for the link data file.
    mutable int32_t FNumber = -1;
    uint32_t FLocalNameHash = 0;           // key the name index filed it under
    TSharedServerRoot FRoot;               // Server and LocalDir
    TLinkLeaf* FLeaf = nullptr;            // where the owning list keeps it
    TDownloadLinks* FOwner = nullptr;
};

// Locks a link for the scope of a block.
class TLinkLock {
public:
    explicit TLinkLock(TDownloadLink& link) : FLink(link) { FLink.Lock(); }
    ~TLinkLock() { FLink.Unlock(); }
    TLinkLock(const TLinkLock&) = delete;
    TLinkLock& operator=(const TLinkLock&) = delete;

private:
    TDownloadLink& FLink;
};

} // namespace vorlin
