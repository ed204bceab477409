// What the terminal front end prints: the status line and its throttle,
// the choice of links from a list, and plain lines without a terminal.
#include "cli/run/LinkChoice.h"
#include "cli/run/StatusLine.h"
#include "cli/run/TerminalWindow.h"

#include <gmock/gmock.h>

#include <cstdio>

using namespace vorlin;
using namespace vorlin::cli;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

namespace {

TEST(StatusLine, ShowsCountsBytesRateAndConnections) {
    TStatusFigures f;
    f.Stats = {12, 3, 40, 55};
    f.Bytes = 3 * 1024 * 1024 + 512 * 1024;
    f.BytesPerSecond = 2048 + 512;
    f.ActiveConnections = 4;
    EXPECT_EQ(FormatStatusLine(f),
              "12 downloaded, 3 filtered out, 40 remaining, 55 links | 3.5 MB | 2.5 KB/s | 4 active");
    EXPECT_EQ(FormatBytes(0), "0 B");
    EXPECT_EQ(FormatBytes(1023), "1023 B");
    EXPECT_EQ(FormatBytes(1024), "1.0 KB");
    EXPECT_EQ(FormatBytes(5LL << 40), "5.0 TB");
    EXPECT_EQ(FormatBytes(5LL << 50), "5120.0 TB");
}

TEST(StatusLine, FitsTheWidthKeepingTheFiguresAtItsEnd) {
    TStatusFigures f;
    f.Stats = {738, 12, 1234, 1984};
    f.Bytes = 123LL * 1024 * 1024;
    f.BytesPerSecond = 1234 * 1024;
    f.ActiveConnections = 5;
    const std::string full = FormatStatusLine(f);
    ASSERT_GT(full.size(), 79u) << "a run of this size needs more than a line of 80";
    for (size_t width : {79u, 60u, 45u, 32u}) {
        const std::string line = FormatStatusLine(f, width);
        EXPECT_LE(line.size(), width) << line;
        // The rate and the connections are kept as long as any form fits.
        EXPECT_THAT(line, HasSubstr("1.2 MB/s")) << line;
        EXPECT_EQ(line.back(), width >= 45 ? 'e' : 'c') << line;
    }
    EXPECT_EQ(FormatStatusLine(f, 79),
              "738 done, 12 filtered, 1234 to go, 1984 links | 123.0 MB | 1.2 MB/s | 5 active");
    EXPECT_EQ(FormatStatusLine(f, 10).size(), 10u) << "narrower than every form: cut";
    EXPECT_EQ(FormatDuration(0.44), "0.4 s");
    EXPECT_EQ(FormatDuration(125), "2 min 05 s");
    EXPECT_EQ(FormatDuration(3720), "1 h 02 min");
}

TEST(StatusLine, IsRedrawnAtMostFiveTimesASecond) {
    TRedrawThrottle throttle;
    auto start = TRedrawThrottle::TClock::now();
    EXPECT_TRUE(throttle.Due(start));
    EXPECT_FALSE(throttle.Due(start + std::chrono::milliseconds(100)));
    EXPECT_FALSE(throttle.Due(start + std::chrono::milliseconds(199)));
    EXPECT_TRUE(throttle.Due(start + std::chrono::milliseconds(200)));
    EXPECT_FALSE(throttle.Due(start + std::chrono::milliseconds(300)));
}

std::vector<bool> Chosen(const std::string& answer, size_t count = 4) {
    std::vector<std::string> urls = {"http://a/x.zip", "http://a/y.html", "http://a/Z.ZIP", "http://a/pics/1.gif"};
    urls.resize(count);
    std::vector<bool> chosen;
    std::string error;
    EXPECT_TRUE(ChooseLinks(answer, urls, chosen, error)) << error;
    return chosen;
}

TEST(LinkChoice, AMaskNumbersOrNothing) {
    EXPECT_THAT(Chosen(""), ElementsAre(false, false, false, false));
    EXPECT_THAT(Chosen("  "), ElementsAre(false, false, false, false));
    EXPECT_THAT(Chosen("*.zip"), ElementsAre(true, false, true, false));
    EXPECT_THAT(Chosen("*"), ElementsAre(true, true, true, true));
    EXPECT_THAT(Chosen("*/pics/*"), ElementsAre(false, false, false, true));
    EXPECT_THAT(Chosen("2"), ElementsAre(false, true, false, false));
    EXPECT_THAT(Chosen("1, 3-4"), ElementsAre(true, false, true, true));
}

TEST(LinkChoice, NumbersOutsideTheListAndBadMasksAreRefused) {
    std::vector<std::string> urls = {"http://a/1", "http://a/2"};
    std::vector<bool> chosen;
    std::string error;
    EXPECT_FALSE(ChooseLinks("3", urls, chosen, error));
    EXPECT_THAT(error, HasSubstr("from 1 to 2"));
    EXPECT_FALSE(ChooseLinks("0", urls, chosen, error));
    EXPECT_FALSE(ChooseLinks("2-1", urls, chosen, error));
    EXPECT_FALSE(ChooseLinks("1-", urls, chosen, error));
    EXPECT_FALSE(ChooseLinks("99999999999999999999999", urls, chosen, error));
    EXPECT_FALSE(ChooseLinks("[a-", urls, chosen, error));
    EXPECT_FALSE(error.empty());
}

// A window writing into memory.
class Output {
public:
    Output() : FOut(open_memstream(&FOutText, &FOutSize)), FErr(open_memstream(&FErrText, &FErrSize)) {}
    ~Output() {
        std::fclose(FOut);
        std::fclose(FErr);
        free(FOutText);
        free(FErrText);
    }
    std::string Out() {
        std::fflush(FOut);
        return std::string(FOutText, FOutSize);
    }
    std::string Err() {
        std::fflush(FErr);
        return std::string(FErrText, FErrSize);
    }
    char* FOutText = nullptr;
    size_t FOutSize = 0;
    char* FErrText = nullptr;
    size_t FErrSize = 0;
    FILE* FOut;
    FILE* FErr;
};

void Feed(TTerminalWindow& window) {
    window.RunStateChanged(TRunState::ssRunning);
    window.RunStats({1, 0, 2, 3});
    window.ClientURL(0, "http://a/x.html");
    window.RunLog("http://a/ was downloaded");
    window.RunError("404 Not Found http://a/missing.gif");
    window.ClientStatus(0, "Receiving");
    window.RunFinished();
}

TEST(TerminalWindow, WithoutATerminalOnlyPlainLines) {
    Output output;
    {
        TTerminalWindow window(TVerbosity::vbNormal, output.FOut, false, output.FErr, false);
        Feed(window);
        EXPECT_TRUE(window.Started());
        EXPECT_TRUE(window.Finished());
        EXPECT_EQ(window.LastStats().All, 3);
    }
    EXPECT_EQ(output.Out(), "http://a/ was downloaded\n");
    EXPECT_EQ(output.Err(), "404 Not Found http://a/missing.gif\n");
}

TEST(TerminalWindow, QuietKeepsTheErrorsVerboseAddsTheConnections) {
    Output quiet;
    {
        TTerminalWindow window(TVerbosity::vbQuiet, quiet.FOut, true, quiet.FErr, false);
        Feed(window);
    }
    EXPECT_EQ(quiet.Out(), "") << "no status line either";
    EXPECT_EQ(quiet.Err(), "404 Not Found http://a/missing.gif\n");

    Output verbose;
    {
        TTerminalWindow window(TVerbosity::vbVerbose, verbose.FOut, false, verbose.FErr, false);
        Feed(window);
    }
    // One line for each status of a busy connection, with its address.
    EXPECT_EQ(verbose.Out(), "http://a/ was downloaded\n  #1 Receiving  http://a/x.html\n");
}

TEST(TerminalWindow, OnATerminalTheStatusLineIsRedrawnAndErrorsAreRed) {
    Output output;
    {
        TTerminalWindow window(TVerbosity::vbNormal, output.FOut, true, output.FErr, true);
        Feed(window);
    }
    std::string out = output.Out();
    EXPECT_THAT(out, HasSubstr("\r\x1b[K1 downloaded, 0 filtered out, 2 remaining, 3 links"));
    // A log line first clears the status line and then draws it again.
    EXPECT_THAT(out, HasSubstr("\r\x1b[Khttp://a/ was downloaded\n\r\x1b[K1 downloaded"));
    // The last figures stay, with no busy connection.
    EXPECT_THAT(out, HasSubstr("| 0 active\n"));
    EXPECT_EQ(output.Err(), "\x1b[31m404 Not Found http://a/missing.gif\x1b[0m\n");
}

TEST(TerminalWindow, VerboseOnATerminalRedrawsTheConnectionRowsInPlace) {
    Output output;
    {
        TTerminalWindow window(TVerbosity::vbVerbose, output.FOut, true, output.FErr, false);
        Feed(window);
    }
    std::string out = output.Out();
    EXPECT_THAT(out, Not(HasSubstr("  #1 http://a/x.html\n"))) << "no plain line per change";
    // The row above the status line, drawn again under a log line.
    EXPECT_THAT(out, HasSubstr("\r\x1b[Khttp://a/ was downloaded\n\r\x1b[K  #1   http://a/x.html\n1 downloaded"));
    // For the error line the block is cleared from its first row to the end
    // of the screen, then drawn again.
    EXPECT_THAT(out, HasSubstr("| 1 active\x1b[1A\r\x1b[J\r\x1b[K  #1   http://a/x.html\n1 downloaded"));
    // The end clears the rows and leaves the last status line.
    std::string end = out.substr(out.rfind("\x1b[1A"));
    EXPECT_THAT(end, HasSubstr("\r\x1b[J1 downloaded, 0 filtered out, 2 remaining, 3 links"));
    EXPECT_THAT(end, Not(HasSubstr("#1")));
    EXPECT_EQ(end.back(), '\n');
}

TEST(TerminalWindow, UnchangedFilesAreFoldedIntoTheSummaryUnlessVerbose) {
    auto feed = [](TTerminalWindow& window) {
        window.RunStateChanged(TRunState::ssRunning);
        window.RunLog("Kein Update benötigt für http://a/one.html");
        window.RunLog("Kein Update benötigt für http://a/two.html");
        window.RunLog("http://a/new.html (2048 Bytes) wurde heruntergeladen");
        window.RunStats({3, 1, 0, 4});
        window.RunFinished();
        window.PrintSummary(2.0, false);
    };
    Output normal;
    {
        TTerminalWindow window(TVerbosity::vbNormal, normal.FOut, false, normal.FErr, false);
        feed(window);
    }
    EXPECT_EQ(normal.Out(), "http://a/new.html (2048 Bytes) wurde heruntergeladen\n"
                            "Done: 1 new, 0 updated, 2 unchanged, 1 filtered out, 0 failed; 2.0 KB in 2.0 s (1.0 KB/s)\n");
    Output verbose;
    {
        TTerminalWindow window(TVerbosity::vbVerbose, verbose.FOut, false, verbose.FErr, false);
        feed(window);
    }
    EXPECT_THAT(verbose.Out(), HasSubstr("Kein Update benötigt für http://a/two.html\n"));
    EXPECT_THAT(verbose.Out(), HasSubstr("2 unchanged"));
    Output quiet;
    {
        TTerminalWindow window(TVerbosity::vbQuiet, quiet.FOut, false, quiet.FErr, false);
        feed(window);
    }
    EXPECT_EQ(quiet.Out(), "");
}

TEST(TerminalWindow, PasswordsInAddressesAreHiddenInEveryLine) {
    const std::string secret = "s3cret";
    auto feed = [](TTerminalWindow& window) {
        window.RunStateChanged(TRunState::ssRunning);
        window.ClientStatus(0, "Emfange Datei-Info");
        window.ClientURL(0, "http://alice:s3cret@a/x.html");
        window.RunLog("http://alice:s3cret@a/ (5 Bytes) wurde heruntergeladen");
        window.RunError("404 Not Found http://alice:s3cret@a/missing.gif Link war auf http://alice:s3cret@a/");
        window.DebugLine("Redirect: http://alice:s3cret@a/d->http://alice:s3cret@a/d/");
        window.Info("Project /Quick Projects/a (new): http://alice:s3cret@a/");
        window.Notice("To resume: vorlin run 'http://alice:s3cret@a/'");
        window.RunFinished();
    };
    for (bool terminal : {false, true}) {
        Output output;
        {
            TTerminalWindow window(TVerbosity::vbVerbose, output.FOut, terminal, output.FErr, terminal);
            feed(window);
        }
        const std::string all = output.Out() + output.Err();
        EXPECT_THAT(all, Not(HasSubstr(secret))) << all;
        EXPECT_THAT(all, HasSubstr("http://alice:***@a/missing.gif Link war auf http://alice:***@a/"));
        EXPECT_THAT(all, HasSubstr("Redirect: http://alice:***@a/d->http://alice:***@a/d/"));
        EXPECT_THAT(all, HasSubstr("alice:***@a/x.html")) << "the connection's line or row";
    }
}

TEST(TerminalWindow, EscapeSequencesFromTheSiteDoNotReachTheTerminal) {
    // A link to "x%1b]0;owned%07" is shown decoded.
    const std::string hostile = "http://a/x\x1b]0;owned\x07 (5 Bytes)";
    Output terminal;
    {
        TTerminalWindow window(TVerbosity::vbNormal, terminal.FOut, true, terminal.FErr, true);
        window.RunLog(hostile);
        window.RunError(hostile + "\nsecond line");
    }
    EXPECT_EQ(terminal.Out(), "http://a/x?]0;owned? (5 Bytes)\n");
    EXPECT_EQ(terminal.Err(), "\x1b[31mhttp://a/x?]0;owned? (5 Bytes)\nsecond line\x1b[0m\n");
    // Into a file the line goes as it came.
    Output file;
    {
        TTerminalWindow window(TVerbosity::vbNormal, file.FOut, false, file.FErr, false);
        window.RunLog(hostile);
    }
    EXPECT_EQ(file.Out(), hostile + "\n");
}

} // namespace
