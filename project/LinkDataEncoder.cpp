#include "project/LinkDataEncoder.h"

#include "platform/Exception.h"
#include "platform/FileSystem.h"
#include "platform/Stream.h"
#include "project/TaggedStream.h"
#include "project/ZlibBlockStream.h"

#include <vector>

namespace vorlin {

namespace {

// Appends what is written to a string: the encoded file is kept whole until
// it is compressed.
class TStringSink final : public TStream {
public:
    explicit TStringSink(std::string& out) : FOut(out) {}
    int64_t Read(void*, int64_t) override { throw EStreamError("The link data sink can't be read"); }
    int64_t Write(const void* buffer, int64_t count) override {
        FOut.append(static_cast<const char*>(buffer), static_cast<size_t>(count));
        return count;
    }
    int64_t Seek(int64_t, TSeekOrigin) override { return static_cast<int64_t>(FOut.size()); }
    int64_t Size() override { return static_cast<int64_t>(FOut.size()); }
    void SetSize(int64_t) override { throw EStreamError("The link data sink can't change its size"); }

private:
    std::string& FOut;
};

// At most what the list takes in the stream (every integer counted at its
// widest), so that the buffer is allocated once and never copied.
size_t EncodedSizeBound(const TDownloadLinks& links) {
    // Per link: six strings of up to 5 bytes of head, a date of 9, seven
    // integers of up to 5, four booleans, a list's begin and end.
    constexpr size_t kFixed = 6 * 5 + 9 + 7 * 5 + 4 + 2;
    size_t total = 64;
    for (const TDownloadLink* link : links)
        total += kFixed + link->Path.size() + link->Server().size() + link->ScopeDir.size() +
                 link->TagName.size() + link->LocalFileName.size() + link->MimeType.size() +
                 5 * link->References.size();
    return total;
}

} // namespace

namespace {

// How far ahead of the link being written its successors are fetched into
// the cache: the link itself first, then its strings and reference list,
// then the links it refers to (whose numbers are written).
constexpr size_t kObjectAhead = 12;
constexpr size_t kFieldsAhead = 8;
constexpr size_t kNumbersAhead = 4;

void PrefetchObject(const TDownloadLink* link) {
    const char* at = reinterpret_cast<const char*>(link);
    for (size_t offset = 0; offset < sizeof(TDownloadLink); offset += 64) __builtin_prefetch(at + offset);
}

void PrefetchFields(const TDownloadLink* link) {
    __builtin_prefetch(link->Path.data());
    __builtin_prefetch(link->Server().data());
    __builtin_prefetch(link->LocalFileName.data());
    __builtin_prefetch(link->References.data());
}

void PrefetchNumbers(const TDownloadLink* link) {
    for (const TDownloadLink* ref : link->References) TDownloadLinks::PrefetchNumber(ref);
}

} // namespace

void EncodeLinkData(const TDownloadLinks& links, double version, TStream& out, const TLinkSaveProgress& progress,
                    void* sender) {
    links.NumberLinks();
    // The list in order, so that links further on can be fetched ahead.
    std::vector<TDownloadLink*> order;
    order.reserve(static_cast<size_t>(links.Count()));
    for (TDownloadLink* link : links) order.push_back(link);
    TTaggedWriter w(out);
    // A project whose files lie in host-only directories stays in that
    // version, so that the next load finds its files where they are.
    if (links.LegacyLocalDirs && version > kLinkDataVersionHostDirs) version = kLinkDataVersionHostDirs;
    w.WriteFloat(version);
    w.WriteListBegin();
    const int64_t count = links.Count();
    int64_t number = 0;
    for (size_t i = 0; i < order.size(); ++i) {
        if (i + kObjectAhead < order.size()) PrefetchObject(order[i + kObjectAhead]);
        if (i + kFieldsAhead < order.size()) PrefetchFields(order[i + kFieldsAhead]);
        if (i + kNumbersAhead < order.size()) PrefetchNumbers(order[i + kNumbersAhead]);
        TDownloadLink* link = order[i];
        w.WriteString(link->Path);
        w.WriteString(link->Server());
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
        // A plugin's vote at save time sticks: the next run sees the link
        // forced even without that plugin.
        w.WriteBoolean(link->IsForced());
        w.WriteListBegin();
        for (const TDownloadLink* ref : link->References) w.WriteInteger(links.NumberOf(ref));
        w.WriteListEnd();
        w.WriteBoolean(link->SendCredentials);
        ++number;
        if (progress) progress(sender, links.Project, static_cast<int>(number * 100 / count));
    }
    w.WriteListEnd();
    w.Flush();
}

std::string EncodeLinkData(const TDownloadLinks& links, double version, const TLinkSaveProgress& progress,
                           void* sender) {
    std::string out;
    out.reserve(EncodedSizeBound(links));
    TStringSink sink(out);
    EncodeLinkData(links, version, sink, progress, sender);
    return out;
}

void WriteLinkDataFile(const std::string& hostPath, std::string_view encoded) {
    WriteFileAtomically(hostPath, [&](TFileStream& file) {
        TZlibBlockStream zip(file);
        zip.WriteBuffer(encoded.data(), static_cast<int64_t>(encoded.size()));
        zip.Finish();
    });
}

} // namespace vorlin
