// The closing summary of a run, counted from its log lines: what was new,
// updated, unchanged, filtered out or failed, and the bytes and time.
#include "cli/run/RunSummary.h"
#include "engine/RunTexts.h"

#include <gmock/gmock.h>

using namespace vorlin;
using namespace vorlin::cli;

namespace {

TEST(RunSummary, TellsNewFromUpdatedByWhatEarlierRunsDownloaded) {
    TRunSummary summary;
    summary.NoteDownloadedBefore("http://a/old.html");
    EXPECT_EQ(summary.NoteLog("http://a/old.html (100 Bytes) wurde heruntergeladen"), TLogLineKind::llDownloaded);
    EXPECT_EQ(summary.NoteLog("http://a/fresh.html (20 Bytes) wurde heruntergeladen"), TLogLineKind::llDownloaded);
    // An address holding the text that follows it is still taken whole.
    summary.NoteDownloadedBefore("http://a/x (1 Bytes) wurde heruntergeladen.html");
    summary.NoteLog("http://a/x (1 Bytes) wurde heruntergeladen.html (3 Bytes) wurde heruntergeladen");
    EXPECT_EQ(summary.NoteLog("Kein Update benötigt für http://a/same.gif"), TLogLineKind::llUnchanged);
    EXPECT_EQ(summary.NoteLog("Emfang von http://a/big.bin fortgesetzt"), TLogLineKind::llOther);
    EXPECT_EQ(summary.NoteLog("Beende Download"), TLogLineKind::llOther);
    EXPECT_EQ(summary.New(), 1);
    EXPECT_EQ(summary.Updated(), 2);
    EXPECT_EQ(summary.Unchanged(), 1);
    EXPECT_EQ(summary.Bytes(), 123);
}

TEST(RunSummary, FailedRequestsAreNotCountedAsFilteredOut) {
    TRunSummary summary;
    summary.NoteError("404 Not Found http://a/missing.gif Link war auf http://a/");
    summary.NoteError("HTTP client #2 encountered an error: Connection reset. Please check your internet connection!");
    summary.NoteError("Server sent invalid date: x->Invalid Monthname");
    summary.NoteError("4040 is no status");
    summary.NoteFilteredOut(5);
    EXPECT_EQ(summary.Failed(), 2);
    EXPECT_EQ(summary.FilteredOut(), 3);
    EXPECT_EQ(summary.Format(0.5, false),
              "Done: 0 new, 0 updated, 0 unchanged, 3 filtered out, 2 failed; 0 B in 0.5 s (0 B/s)");
    EXPECT_THAT(summary.Format(0.5, true), ::testing::StartsWith("Stopped: "));
}

TEST(RunSummary, FollowsTheTextsOfALanguageTable) {
    SetRunTexts({{602, "No update needed for %s"}, {603, "Got %s: %d bytes"}});
    TRunSummary english;
    EXPECT_EQ(english.NoteLog("No update needed for http://a/"), TLogLineKind::llUnchanged);
    EXPECT_EQ(english.NoteLog("Got http://a/b: 7 bytes"), TLogLineKind::llDownloaded);
    EXPECT_EQ(english.Bytes(), 7);
    // A table without the texts: nothing is taken for them, and nothing folded.
    SetRunTexts({});
    TRunSummary none;
    EXPECT_EQ(none.NoteLog(""), TLogLineKind::llOther);
    EXPECT_EQ(none.NoteLog("http://a/"), TLogLineKind::llOther);
    ResetRunTexts();
}

} // namespace
