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
#include "project/TaggedStream.h"
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

    void Resolve() {
        for (size_t i = 0; i < Links.size(); ++i) {
            size_t end = i + 1 < Starts.size() ? Starts[i + 1] : Indices.size();
            for (size_t k = Starts[i]; k < end; ++k) {
                int32_t index = Indices[k];
                if (index < 0 || static_cast<size_t>(index) >= Links.size()) {
                    DebugLog("Error while restoring Link.References");
                    continue;
                }
                TDownloadLink* referenced = Links[static_cast<size_t>(index)];
                Links[i]->References.push_back(referenced);
                referenced->Referrers.push_back(Links[i]);
            }
        }
    }
};

} // namespace

void TDownloadLinks::SaveToFile(const std::string& hostPath, const TLinkSaveProgress& progress,
                                void* sender, double version) const {
    // A project whose files lie in host-only directories stays in that
    // version, so that the next load finds its files where they are.
    if (LegacyLocalDirs && version > kLinkDataVersionHostDirs) version = kLinkDataVersionHostDirs;
    WriteFileAtomically(hostPath, [&](TFileStream& file) {
        TZCompressionStream zip(file, 9);
        TTaggedWriter w(zip);
        w.WriteFloat(version);
        w.WriteListBegin();
        const int64_t count = Count();
        int64_t number = 0;
        for (TDownloadLink* link = First(); link; link = Next(link)) {
            w.WriteString(link->Path);
            w.WriteString(link->Server);
            w.WriteString(link->ScopeDir);
            w.WriteString(link->TagName);
            w.WriteString(link->LocalFileName);
            w.WriteString(link->MimeType);
            w.WriteDate(link->LastModified);
            w.WriteInteger(link->ExternalLevel);
            w.WriteBoolean(link->BaseResolved);
            w.WriteInteger(link->Kind);
            w.WriteBoolean(link->Invalid);
            w.WriteInteger(link->State);
            w.WriteInteger(link->Size);
            w.WriteInteger(link->Level);
            w.WriteInteger(link->LinkType);
            // A plugin's vote at save time sticks: the next run sees the
            // link forced even without that plugin.
            w.WriteBoolean(link->IsForced());
            w.WriteListBegin();
            for (const TDownloadLink* ref : link->References) w.WriteInteger(IndexOf(ref));
            w.WriteListEnd();
            w.WriteBoolean(link->SendCredentials);
            ++number;
            if (progress) progress(sender, Project, static_cast<int>(number * 100 / count));
        }
        w.WriteListEnd();
        w.Flush();
        zip.Finish();
    });
}

double TDownloadLinks::LoadFromFile(const std::string& hostPath) {
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
        TTaggedReader r(zip);
        version = r.ReadFloat();
        // Compared in single precision, so that a stored 0.97 is not less
        // than 0.97.
        const double v = static_cast<float>(version);
        const bool hasCredentials = v > 0.95;
        const bool hasExtraStrings = v > 0.95 && v < 0.97;
        // Only a list that holds nothing else takes on the file's layout.
        if (Count() == 0) LegacyLocalDirs = v < static_cast<float>(kLinkDataVersion);
        r.ReadListBegin();
        while (!r.EndOfList()) {
            auto link = std::make_unique<TDownloadLink>(Project);
            link->Path = r.ReadString();
            link->SetServer(r.ReadString());
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
