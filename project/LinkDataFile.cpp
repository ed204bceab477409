// The link data file (".dat"): a zlib stream of tagged values, the version
// number first, then the list of links, each with the indices of the links
// found on it. Version 0.98 is written (0.97 for projects whose local
// directories are host names alone); 0.95 (no SendCredentials) and 0.96
// (two more strings per link) are read.
#include "project/DownloadLinks.h"

#include "platform/DebugLog.h"
#include "platform/FileSystem.h"
#include "platform/Stream.h"
#include "project/DownloadProject.h"
#include "project/LinkDataEncoder.h"
#include "project/ReadAheadStream.h"
#include "project/TaggedStream.h"
#include "project/ZlibBlockStream.h"
#include "project/ZlibStream.h"

#include <vector>

namespace vorlin {

namespace {

// What the link records of a file hold beyond the link itself: the indices
// of its references, flat, resolved once every link has been read.
struct TPendingReferences {
    std::vector<TDownloadLink*> Links;  // in file order
    std::vector<int32_t> Indices;
    std::vector<size_t> Starts;  // per link, into Indices
    size_t Committed = 0;        // indices that belong to links in Links

    // Turns the indices into References and the Referrers that answer
    // them, in file order. The referrers are gathered per referenced link
    // first (a counting sort), so that each link's list is filled in one go
    // instead of growing by random single steps across the whole list.
    void Resolve() {
        const size_t count = Links.size();
        std::vector<uint32_t> firstReferrer(count + 1, 0);
        for (size_t i = 0; i < count; ++i)
            for (size_t k = Starts[i]; k < EndOf(i); ++k)
                if (Valid(Indices[k])) ++firstReferrer[static_cast<size_t>(Indices[k]) + 1];
        for (size_t t = 0; t < count; ++t) firstReferrer[t + 1] += firstReferrer[t];
        std::vector<uint32_t> referrers(firstReferrer[count]);
        std::vector<uint32_t> fill(firstReferrer.begin(), firstReferrer.end() - 1);
        for (size_t i = 0; i < count; ++i) {
            TDownloadLink* page = Links[i];
            page->References.reserve(page->References.size() + (EndOf(i) - Starts[i]));
            for (size_t k = Starts[i]; k < EndOf(i); ++k) {
                int32_t index = Indices[k];
                if (!Valid(index)) {
                    DebugLog("Error while restoring Link.References");
                    continue;
                }
                page->References.push_back(Links[static_cast<size_t>(index)]);
                referrers[fill[static_cast<size_t>(index)]++] = static_cast<uint32_t>(i);
            }
        }
        for (size_t t = 0; t < count; ++t) {
            std::vector<TDownloadLink*>& list = Links[t]->Referrers;
            list.reserve(list.size() + (firstReferrer[t + 1] - firstReferrer[t]));
            for (uint32_t r = firstReferrer[t]; r < firstReferrer[t + 1]; ++r) list.push_back(Links[referrers[r]]);
        }
    }

private:
    size_t EndOf(size_t i) const { return i + 1 < Starts.size() ? Starts[i + 1] : Indices.size(); }
    bool Valid(int32_t index) const { return index >= 0 && static_cast<size_t>(index) < Links.size(); }
};

} // namespace

// Private to its owner: addresses may carry a user name and password.
void TDownloadLinks::SaveToFile(const std::string& hostPath, const TLinkSaveProgress& progress,
                                void* sender, double version) const {
    // Encoded straight into the compressing stream: blocks are compressed
    // beside this thread while it goes on, and the list is never held whole.
    WriteFileAtomically(hostPath, [&](TFileStream& file) {
        TZlibBlockStream zip(file);
        EncodeLinkData(*this, version, zip, progress, sender);
        zip.Finish();
    }, kPrivateFileMode);
}

double TDownloadLinks::LoadFromFile(const std::string& hostPath) {
    // A save that was killed half-way left its temporary copy behind.
    RemoveStaleTemporaries(hostPath);
    if (!FileExists(hostPath)) return 0;
    std::unique_ptr<TFileStream> file;
    try {
        file = std::make_unique<TFileStream>(hostPath, fmOpenRead);
    } catch (const std::exception& e) {
        throw ELoadLinksException(std::string("Error loading project data: ") + e.what());
    }
    return LoadFromStream(*file);
}

double TDownloadLinks::LoadFromStream(TStream& compressed) {
    TPendingReferences pending;
    double version = 0;
    try {
        TZDecompressionStream zip(compressed);
        // Decompressed on a second core while the links are built.
        TReadAheadStream ahead(zip);
        TTaggedReader r(ahead);
        version = r.ReadFloat();
        // Compared in single precision, so that a stored 0.97 is not less
        // than 0.97.
        const double v = static_cast<float>(version);
        const bool hasCredentials = v > 0.95;
        const bool hasExtraStrings = v > 0.95 && v < 0.97;
        // Only a list that holds nothing else takes on the file's layout.
        if (Count() == 0) LegacyLocalDirs = v < static_cast<float>(kLinkDataVersion);
        r.ReadListBegin();
        TSharedServerRoot lastRoot;
        while (!r.EndOfList()) {
            auto link = std::make_unique<TDownloadLink>(Project);
            link->Path = r.ReadString();
            // Runs of links share their server root: it is looked up once
            // per run, not per link.
            std::string server = r.ReadString();
            // Its local directory follows the layout of this list.
            if (!lastRoot.Is(server, !LegacyLocalDirs)) lastRoot = TSharedServerRoot(server, !LegacyLocalDirs);
            link->FRoot = lastRoot;
            link->ScopeDir = r.ReadString();
            link->TagName = r.ReadString();
            link->LocalFileName = r.ReadString();
            link->MimeType = r.ReadString();
            link->LastModified = r.ReadDate();
            link->ExternalLevel = r.ReadInteger();
            link->BaseResolved = r.ReadBoolean();
            link->Kind = static_cast<TLinkKind>(r.ReadInteger());
            link->Invalid = r.ReadBoolean();
            link->State = static_cast<TLinkState>(r.ReadInteger());
            link->Size = r.ReadInteger();
            link->Level = r.ReadInteger();
            link->LinkType = static_cast<TLinkType>(r.ReadInteger());
            link->Forced = r.ReadBoolean();
            size_t start = pending.Indices.size();
            r.ReadListBegin();
            while (!r.EndOfList()) pending.Indices.push_back(r.ReadInteger());
            r.ReadListEnd();
            link->Slot = 0;
            TDownloadLink* added = link.release();
            Add(added);
            pending.Links.push_back(added);
            pending.Starts.push_back(start);
            pending.Committed = pending.Indices.size();
            if (hasCredentials) added->SendCredentials = r.ReadBoolean();
            if (hasExtraStrings) {
                r.ReadString();
                r.ReadString();
            }
        }
        r.ReadListEnd();
    } catch (const std::exception& e) {
        // The links read so far stay; their references are made real too,
        // so that nothing is left pointing nowhere.
        pending.Indices.resize(pending.Committed);
        pending.Resolve();
        throw ELoadLinksException(std::string("Error loading project data: ") + e.what());
    }
    pending.Resolve();
    return version;
}

} // namespace vorlin
