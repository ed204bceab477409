// The end-of-run repair of stored references. Pages and style sheets are
// written while the run goes on, before the fate of every file they name is
// known; at the end of a run that rewrites links, this pass visits only the
// stored files that refer to a link whose stored copy is not where they
// point, and rewrites them in place:
// - a link that was not stored (excluded, over a limit, failed, refused) and
//   has no stored copy: its references become its absolute address, so a
//   click works when online instead of failing always (a directory
//   redirected to its "/" form points at that form's stored page instead);
// - a link whose local name changed after pages referred to it (an
//   extension given when its type became known): they follow the new name;
// - a link stored now that an earlier run could not store: references that
//   the earlier repair made absolute point at the stored copy again.
// Each page is read and written once, whatever the number of its links.
#pragma once

#include "links/StoredReferenceRewriter.h"

#include <functional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace vorlin {

class TDownloadLink;
class TDownloadProject;

class TReferenceRepair {
  public:
    // The link's local name changed from oldLocalFileName (the first old
    // name is kept when it changes again).
    void Renamed(TDownloadLink& link, const std::string& oldLocalFileName);
    // A link filtered out by an earlier run is being stored now.
    void StoredAgain(TDownloadLink& link);
    // A page was written pointing at the link's address, as the link had
    // been filtered out already: should it be stored after all, its
    // referrers point at the copy again, as after StoredAgain. Pages that
    // name the link only from then on say its address already: should it
    // stay unstored, the repair leaves them unread. firstOnPage: the page
    // being written names the link for the first time (it is the last of
    // its referrers and has not named it any other way).
    void AddressWritten(TDownloadLink& link, bool firstOnPage = false);
    // A page may have been written pointing at the link's stored copy (or
    // with a text of its own the repair would change): the repair reads
    // all of the link's referrers.
    void LocalMayBeWritten(TDownloadLink& link);

    struct TResult {
        int Files = 0;       // stored files rewritten
        int References = 0;  // references changed in them
        int Read = 0;        // stored files read to look for references
    };
    using TErrorSink = std::function<void(const std::string&)>;
    // Repairs the referrers of the links noted above and of every link of
    // the project's filtered-out list that has no stored copy. A file that
    // can't be repaired is reported and the next goes on. Forgets the notes.
    TResult Run(TDownloadProject& project, const TErrorSink& error);
    void Clear();

    // From this many files on, the rewriting is shared with a helper thread.
    static constexpr size_t kSpreadFrom = 32;

  private:
    // One stored file to rewrite, and what came of it.
    struct TFileRepair {
        std::string Path;
        TReferenceContainer Container;
        const std::vector<TReferenceReplacement>* Replacements;
        int Made = 0;
        bool Read = false;
        std::string Error;  // the report line when it failed
    };
    static void RepairFile(TFileRepair& file);
    static void RepairFiles(std::vector<TFileRepair>& files);

    std::unordered_map<const TDownloadLink*, std::string> FOldNames;
    std::vector<TDownloadLink*> FRenamed;  // in the order noted
    std::unordered_set<const TDownloadLink*> FStoredAgainSet;
    std::vector<TDownloadLink*> FStoredAgain;
    // Per link written as its address: from which of its referrers on
    // every page said the address only (referrers only grow in a run).
    // The links noted here bear AddressOnlyNoted.
    std::unordered_map<TDownloadLink*, size_t> FAddressOnlyFrom;
};

} // namespace vorlin
