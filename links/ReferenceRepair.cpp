#include "links/ReferenceRepair.h"

#include "links/ReferenceText.h"
#include "links/StoredReferenceRewriter.h"
#include "platform/FileSystem.h"
#include "project/DownloadLink.h"
#include "project/DownloadLinks.h"
#include "project/DownloadProject.h"
#include "project/LinkStateList.h"
#include "project/LocalPath.h"

#include <atomic>
#include <cstdint>
#include <system_error>
#include <thread>


namespace vorlin {

namespace {

const char* const kHtml = "text/html";
const char* const kCss = "text/css";

bool Rewritable(const TDownloadLink& link) { return link.Kind == lkHttp || link.Kind == lkRelative; }

// A path that a server may redirect to its "/" form: no query, and a last
// segment without an extension ("docs", not "logo.gif").
bool MayBeDirectory(const TDownloadLink& link) {
    const std::string& path = link.Path;
    if (path.empty() || path.back() == '/' || path.find('?') != std::string::npos) return false;
    const size_t slash = path.rfind('/');
    return path.find('.', slash == std::string::npos ? 0 : slash + 1) == std::string::npos;
}

// Whether stored copies exist, asking the file system once per directory
// that does not exist: the links of a server that was never fetched share
// one missing directory.
class TStoredCopies {
  public:
    explicit TStoredCopies(const TDownloadProject& project) : FProject(project) {}
    bool Exist(const TDownloadLink& link) {
        const std::string path = LinkFilePath(FProject, link);
        const std::string dir = ExtractFilePath(path);
        auto known = FDirectories.find(dir);
        if (known == FDirectories.end()) known = FDirectories.emplace(dir, DirectoryExists(dir)).first;
        return known->second && FileExists(path);
    }

  private:
    const TDownloadProject& FProject;
    std::unordered_map<std::string, bool> FDirectories;
};

// What a link's referrers should point at, and the texts they may point
// with instead.
struct TTarget {
    TDownloadLink* Link;
    const std::string* OldName;     // the name pages may still use, or null
    TDownloadLink* Stand = nullptr;  // the stored link to point at instead (a "/" form)
    bool Missing = false;            // no stored copy: point at the address
    bool WasAbsolute = false;        // an earlier repair may have made references absolute
};

} // namespace

void TReferenceRepair::Renamed(TDownloadLink& link, const std::string& oldLocalFileName) {
    if (FOldNames.emplace(&link, oldLocalFileName).second) FRenamed.push_back(&link);
}

void TReferenceRepair::StoredAgain(TDownloadLink& link) {
    if (FStoredAgainSet.insert(&link).second) FStoredAgain.push_back(&link);
}

void TReferenceRepair::AddressWritten(TDownloadLink& link, bool firstOnPage) {
    StoredAgain(link);
    // Every referrer before may hold the link's local name; so may the page
    // being written, unless this is its first word of the link.
    size_t from = link.Referrers.size();
    if (firstOnPage && from > 0) --from;
    FAddressOnlyFrom.try_emplace(&link, from);
    link.AddressOnlyNoted = true;
}

void TReferenceRepair::LocalMayBeWritten(TDownloadLink& link) {
    // The mark spares the look-up for the many links never noted; a mark
    // left by a run that ended early only costs a look-up.
    if (!link.AddressOnlyNoted) return;
    FAddressOnlyFrom.erase(&link);
    link.AddressOnlyNoted = false;
}

void TReferenceRepair::Clear() {
    FOldNames.clear();
    FRenamed.clear();
    FStoredAgainSet.clear();
    FStoredAgain.clear();
    for (auto& [link, from] : FAddressOnlyFrom) link->AddressOnlyNoted = false;
    FAddressOnlyFrom.clear();
}

TReferenceRepair::TResult TReferenceRepair::Run(TDownloadProject& project, const TErrorSink& error) {
    TResult result;
    // The notes are forgotten however this ends: the links bear marks of them.
    struct TForget {
        TReferenceRepair& Repair;
        ~TForget() { Repair.Clear(); }
    } forget{*this};
    if (!project.RewritesLinks() || !project.Links) return result;
    // Every link to repair once, with what its referrers should say.
    std::vector<TTarget> targets;
    std::unordered_set<const TDownloadLink*> seen;
    TStoredCopies stored(project);
    auto oldNameOf = [&](const TDownloadLink* link) -> const std::string* {
        auto found = FOldNames.find(link);
        return found == FOldNames.end() ? nullptr : &found->second;
    };
    auto add = [&](TDownloadLink* link) {
        if (!Rewritable(*link) || link->Referrers.empty() || !seen.insert(link).second) return;
        TTarget target{link, oldNameOf(link)};
        target.WasAbsolute = FStoredAgainSet.count(link) != 0;
        target.Missing = link->State != lsDownloaded && !stored.Exist(*link);
        // A directory whose "/" form was stored: the pages go there.
        if (target.Missing && MayBeDirectory(*link)) {
            TDownloadLink* slashForm = nullptr;
            if (project.Links->AlreadyFound(link->FullURL() + "/", slashForm) && slashForm->State == lsDownloaded &&
                stored.Exist(*slashForm))
                target.Stand = slashForm;
        }
        if (!target.Missing && !target.OldName && !target.WasAbsolute) return;
        targets.push_back(target);
    };
    if (project.FilteredOut)
        for (TDownloadLink* link : *project.FilteredOut) add(link);
    for (TDownloadLink* link : FRenamed) add(link);
    for (TDownloadLink* link : FStoredAgain) add(link);

    // Per stored page or style sheet, the texts to change.
    std::unordered_map<TDownloadLink*, std::vector<TReferenceReplacement>> byPage;
    for (const TTarget& target : targets) {
        // A link that stays unstored was written as its address by the pages
        // from here on: they need nothing (a site's missing icon, named by
        // every page, would have every page read again). Style sheets are
        // written by a plugin and are always read.
        size_t addressOnlyFrom = SIZE_MAX;
        if (target.Missing && !target.Stand && !target.OldName) {
            auto found = FAddressOnlyFrom.find(target.Link);
            if (found != FAddressOnlyFrom.end()) addressOnlyFrom = found->second;
        }
        const std::vector<TDownloadLink*>& referrers = target.Link->Referrers;
        for (size_t i = 0; i < referrers.size(); ++i) {
            TDownloadLink* page = referrers[i];
            if (page->MimeType != kHtml && page->MimeType != kCss) continue;
            if (i >= addressOnlyFrom && page->MimeType == kHtml) continue;
            const TReferenceContainer container =
                page->MimeType == kCss ? TReferenceContainer::rcCss : TReferenceContainer::rcHtml;
            const std::string absolute = AbsoluteReferenceText(*target.Link, container);
            const std::string now = LocalReferenceText(*page, *target.Link);
            std::string to = target.Stand     ? LocalReferenceText(*page, *target.Stand)
                             : target.Missing ? absolute
                                              : now;
            std::vector<TReferenceReplacement>& list = byPage[page];
            list.push_back({now, to});
            if (target.OldName)
                list.push_back({LocalReferenceText(*page, target.Link->LocalDir(), *target.OldName), to});
            // An address that stays one needs no entry (most of them: links
            // the pages were written with as addresses, still not stored).
            if ((target.WasAbsolute || target.Stand) && to != absolute) list.push_back({absolute, to});
        }
    }
    // The files are independent of each other: what the project says about
    // them is gathered here, the reading and writing is spread.
    std::vector<TFileRepair> files;
    files.reserve(byPage.size());
    for (auto& [page, replacements] : byPage)
        files.push_back({LinkFilePath(project, *page),
                         page->MimeType == kCss ? TReferenceContainer::rcCss : TReferenceContainer::rcHtml,
                         &replacements, 0, false, std::string()});
    RepairFiles(files);
    for (const TFileRepair& file : files) {
        if (file.Read) ++result.Read;
        if (file.Made > 0) {
            ++result.Files;
            result.References += file.Made;
        }
        if (!file.Error.empty() && error) error(file.Error);
    }
    return result;
}

void TReferenceRepair::RepairFile(TFileRepair& file) {
    try {
        if (!FileExists(file.Path)) return;
        file.Read = true;
        file.Made = RewriteStoredReferences(file.Path, file.Container, *file.Replacements);
    } catch (const std::exception& e) {
        file.Error = "Can't repair the links of " + file.Path + ": " + e.what();
    } catch (...) {
        file.Error = "Can't repair the links of " + file.Path;
    }
}

void TReferenceRepair::RepairFiles(std::vector<TFileRepair>& files) {
    // A run that stored many pages ends with this pass alone on the run's
    // thread: a helper takes every other file when there are enough of them.
    std::atomic<size_t> next{0};
    auto work = [&] {
        for (size_t i = next++; i < files.size(); i = next++) RepairFile(files[i]);
    };
    std::thread helper;
    if (files.size() >= kSpreadFrom && std::thread::hardware_concurrency() > 1) {
        try {
            helper = std::thread(work);
        } catch (const std::system_error&) {
            // No thread to be had: the run's thread does it all.
        }
    }
    work();
    if (helper.joinable()) helper.join();
}

} // namespace vorlin
