// What one run did, told in one closing line: files new and updated, files
// the server reported unchanged, links filtered out, requests that failed,
// the bytes fetched, the time and the average rate. It is counted from the
// run's log and error lines as they arrive (their texts are the run's own
// table, so a language table that replaces them is followed), and from the
// addresses that earlier runs had downloaded, taken when the run starts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

namespace vorlin::cli {

enum class TLogLineKind { llOther, llDownloaded, llUnchanged };

// A run text with its %s / %d fields, matched against a line of the log.
class TRunTextPattern {
public:
    // The run text id; an empty text, or one that is all fields, matches nothing.
    explicit TRunTextPattern(int textId);
    // The fields of line in the order of the text, or false when it doesn't match.
    bool Match(const std::string& line, std::vector<std::string>& fields) const;

private:
    std::vector<std::string> FPieces;  // the fixed text around the fields
    bool FUsable = false;
};

class TRunSummary {
public:
    TRunSummary();

    // An address (as the run displays it) that an earlier run downloaded:
    // fetched again, it counts as updated rather than new.
    void NoteDownloadedBefore(const std::string& displayURL);
    TLogLineKind NoteLog(const std::string& line);
    void NoteError(const std::string& line);
    // The filtered-out links at the end (failed requests are filtered out too).
    void NoteFilteredOut(int32_t count) { FFilteredOutLinks = count; }

    int New() const { return FNew; }
    int Updated() const { return FUpdated; }
    int Unchanged() const { return FUnchanged; }
    int Failed() const { return FFailed; }
    int FilteredOut() const { return FFilteredOutLinks > FFailed ? FFilteredOutLinks - FFailed : 0; }
    int64_t Bytes() const { return FBytes; }

    // "Done: 3 new, 1 updated, 738 unchanged, 5 filtered out, 1 failed;
    // 1.2 MB in 0.4 s (3.0 MB/s)"; "Stopped: ..." for a run that was stopped.
    std::string Format(double seconds, bool stopped) const;

private:
    TRunTextPattern FDownloaded, FUnchanged_, FClientError;
    std::unordered_set<size_t> FKnown;  // hashes of the display URLs
    int FNew = 0, FUpdated = 0, FUnchanged = 0, FFailed = 0;
    int32_t FFilteredOutLinks = 0;
    int64_t FBytes = 0;
};

} // namespace vorlin::cli
