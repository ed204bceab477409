// A page parsed with a scan made ahead must come out exactly as one parsed
// by itself: the same stored copy and the same links in the same order,
// whatever the page holds, in every mode, and also where the scan's reading
// of the page was wrong (a plugin claimed a SCRIPT tag, whose body the scan
// passed over as script).
#include "HTMLParserFixture.h"

#include "links/PageScan.h"
#include "links/PageScanner.h"

#include <atomic>
#include <chrono>
#include <map>
#include <random>
#include <thread>

using namespace vorlin;

namespace {

const std::vector<std::string> kPieces = {
    "<a href=x.html>",
    "<A HREF='dir/y.html#part' title=\"a > b\">",
    "text between ",
    " a < b and c > d ",
    "<",
    ">",
    "<>",
    "</>",
    "<!-- <a href=in-comment.html> -->",
    "<!---->",
    "<!-->",
    "<!--",
    "-->",
    "<script>if (a<b) s='<a href=\"s.html\">'; img.src='i/on.gif';</script>",
    "<SCRIPT language=JavaScript>document.write('<img src=w.gif>')</SCRIPT >",
    "<script src=js/menu.js></script>",
    "<script>",
    "</script>",
    "<img src=i.gif srcset='a.png 1x, b.png 2x'>",
    "<source srcset=\"c.webp\">",
    "<base href=/b/>",
    "<meta http-equiv=refresh content='0; url=r.html'>",
    "<frame src=f.html>",
    "<body background=bg.jpg>",
    "<applet code=Clock archive=a.jar></applet>",
    "<p style='background:url(x.png)'>",
    "<a href=\"&amp;q=1.html\">",
    "<a href=mailto:a@b>",
    "<customelementwithalongname href=long.html>",
    "\r\n\t",
    "\xe4\xf6\xfc\x01\xff",
    // Tags the parser does nothing with, in runs, and some a hook may want.
    "<div class=x><span>a</span></div>",
    "<td><b>b</b><i>",
    "</td></tr>",
    "<p>",
    "<em Style=1>",
    "<customtag>",
    "<frame>",
};

std::string RandomPage(std::mt19937& random, size_t pieces) {
    std::uniform_int_distribution<size_t> pick(0, kPieces.size() - 1);
    std::string page;
    for (size_t i = 0; i < pieces; ++i) page += kPieces[pick(random)];
    return page;
}

// Claims every SCRIPT start tag, so that the parser never reads a script
// body where the scan passed one over.
class TScriptClaimingHooks final : public IHTMLParserHooks {
  public:
    void HandleText(TDownloadProject&, TDownloadLink&, std::string_view, const TAddLinkFunction&) override {}
    bool HandleTag(TDownloadProject&, TDownloadLink&, std::string_view tagName, std::string_view,
                   const TTagWordsSeen&, const TAddLinkFunction&) override {
        return tagName == "SCRIPT";
    }
    void ParseDocument(vorlin_sdk::IParserPluginInterface*, TDownloadProject&, TDownloadLink&, TStream&,
                       const std::string&, const TAddLinkFunction&) override {}
};

// Notes, for every tag, which of its words the tag holds: taken from the
// scan where it counted them in this list, searched for otherwise. The
// record must be the same however the page was parsed.
class TWordNotingHooks final : public IHTMLParserHooks {
  public:
    void HandleText(TDownloadProject&, TDownloadLink&, std::string_view, const TAddLinkFunction&) override {}
    bool HandleTag(TDownloadProject&, TDownloadLink&, std::string_view tagName, std::string_view tagText,
                   const TTagWordsSeen& seen, const TAddLinkFunction&) override {
        const bool fromScan = seen.Words == Words.get();
        TakenFromScan += fromScan;
        Noted.push_back(std::string(tagName) + " " +
                        std::to_string(fromScan ? seen.Found : Words->Found(tagText)));
        return false;
    }
    void ParseDocument(vorlin_sdk::IParserPluginInterface*, TDownloadProject&, TDownloadLink&, TStream&,
                       const std::string&, const TAddLinkFunction&) override {}
    std::shared_ptr<const TTagInterest> TagInterest() const override { return Words; }

    std::shared_ptr<const TTagInterest> Words =
        std::make_shared<const TTagInterest>(std::vector<std::string>{"style", "href", "srcset", "<", "a"});
    std::vector<std::string> Noted;
    size_t TakenFromScan = 0;
};

// Looks at a few names and a word, and wants no texts: the parser passes
// the other tags over. Every tag it wants must still reach it, in order.
class TInterestedHooks final : public IHTMLParserHooks {
  public:
    void HandleText(TDownloadProject&, TDownloadLink&, std::string_view text, const TAddLinkFunction&) override {
        ++Texts;
        (void)text;
    }
    bool HandleTag(TDownloadProject&, TDownloadLink&, std::string_view tagName, std::string_view tagText,
                   const TTagWordsSeen&, const TAddLinkFunction&) override {
        ++Handed;
        if (Interest->NameMatters(tagName) || Interest->Found(tagText))
            Wanted.push_back(std::string(tagName) + "|" + std::string(tagText));
        return false;
    }
    void ParseDocument(vorlin_sdk::IParserPluginInterface*, TDownloadProject&, TDownloadLink&, TStream&,
                       const std::string&, const TAddLinkFunction&) override {}
    std::shared_ptr<const TTagInterest> TagInterest() const override { return Interest; }
    bool WantsTexts(const TDownloadLink&) const override { return false; }

    std::shared_ptr<const TTagInterest> Interest = std::make_shared<const TTagInterest>(
        std::vector<std::string>{"style"}, TTagNames{false, {"P", "FRAME"}, {"CUSTOM"}});
    std::vector<std::string> Wanted;
    size_t Handed = 0, Texts = 0;
};

class PageScan : public THTMLParserFixture {
  protected:
    struct TOutcome {
        std::string Stored;
        std::vector<std::string> Links;  // the list in order, and the page's references
        bool operator==(const TOutcome&) const = default;
    };

    void StartAgain() {
        Project.Links->Clear();
        PageLink = AddStoredLink("http://h/", "a/index.html", ltPage);
        PageLink->ScopeDir = "a/";
    }

    // The page parsed as it arrives, whole, or as a run parses it with a
    // scan: arrived unparsed, scanned, then ended. Scans are read into the
    // room of those used before, as the run's scanner does.
    TOutcome ParseOnce(const std::string& html, bool scanned) {
        StartAgain();
        TMemoryStream stream;
        Parser->BeginDocument(*PageLink, stream);
        stream.Write(html.data(), static_cast<int64_t>(html.size()));
        if (scanned) {
            const std::string_view unparsed = Parser->Unparsed();
            EXPECT_EQ(unparsed.size(), html.size());
            Room.ReadFrom(unparsed, Parser->ParsedTo(), ScanWords);
            Room = Parser->UseScan(std::move(Room));
            EXPECT_EQ(Room.Count(), 0u);
        } else {
            Parser->ParseAvailable();
        }
        Parser->EndDocument();
        TOutcome outcome{Stored(*PageLink), ListOrder()};
        for (TDownloadLink* link : PageLink->References) outcome.Links.push_back("ref " + link->FullURL());
        return outcome;
    }

    // What every scan notes: by default what the parser's hooks (none) look for.
    std::shared_ptr<const TTagInterest> ScanWords = NoHTMLParserHooks().TagInterest();
    TPageScan Room;

    void ExpectSameWithScan(unsigned seed, int rounds) {
        std::mt19937 random(seed);
        for (int round = 0; round < rounds; ++round) {
            const std::string page = RandomPage(random, 10 + round * 3);
            const TOutcome alone = ParseOnce(page, false);
            ASSERT_EQ(ParseOnce(page, true), alone) << "round " << round << ": " << page;
        }
    }
};

} // namespace

TEST_F(PageScan, FindsWhatTheReaderFindsAndPassesScriptBodiesOver) {
    const std::string page = "a<b href=x.html>c<!-- d -->e<script>f<g>h</script><img src=i.gif srcset='j.png'>";
    TPageScan scan = TPageScan::Read(page, 100);
    // <b ...>, <!-- -->, <script>, </script>, <img>: not <g> inside the script.
    ASSERT_EQ(scan.Count(), 5u);
    const TScannedTag* first = scan.Next(100);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(scan.PositionOf(first->Lt), 101u);
    EXPECT_EQ(TPageScan::NameOf(*first), "B");
    EXPECT_EQ(scan.LinkOf(*first).Value, "x.html");
    EXPECT_EQ(scan.PositionOf(first->After), 100 + page.find('c'));
    // From inside the text before a tag, the tag is still the next one.
    EXPECT_EQ(TPageScan::NameOf(*scan.Next(100 + page.find("<!--") - 1)), "!--");
    // Where the reader stands on a place the scan did not (inside the script
    // body), nothing is answered; the next tag after it is found again.
    EXPECT_EQ(scan.Next(100 + page.find("<g>")), nullptr);
    const TScannedTag* end = scan.Next(100 + page.find("</script>"));
    ASSERT_NE(end, nullptr);
    EXPECT_EQ(scan.PositionOf(end->Lt), 100 + page.find("</script>"));
    EXPECT_EQ(TPageScan::NameOf(*end), "SCRIPT");
    const TScannedTag* image = scan.Next(scan.PositionOf(end->After));
    ASSERT_NE(image, nullptr);
    EXPECT_TRUE(image->Srcset);
    EXPECT_EQ(scan.Next(scan.PositionOf(image->After)), nullptr);
    // A position before what the scan read finds nothing.
    EXPECT_EQ(TPageScan::Read(page, 100).Next(50), nullptr);
}

TEST_F(PageScan, AScannedPageComesOutAsAParsedOne) {
    ExpectSameWithScan(7, 120);
    Project.ProjectMode = pmMirror;
    ExpectSameWithScan(8, 60);
    Project.ProjectMode = pmOfflineBrowse;
    Project.JavaScriptMode = jsDelete;
    ExpectSameWithScan(9, 60);
}

TEST_F(PageScan, AScanThatReadScriptsAPluginClaimedStillGivesTheSamePage) {
    TScriptClaimingHooks hooks;
    Parser = std::make_unique<THTMLParser>(Project, hooks);
    ExpectSameWithScan(10, 120);
}

// The hooks learn which of their words a tag holds from the scan, and
// exactly what a search of the tag's text finds.
TEST_F(PageScan, TheWordsAScanNotedInTagsAreThoseInTheirTexts) {
    TWordNotingHooks hooks;
    Parser = std::make_unique<THTMLParser>(Project, hooks);
    ScanWords = hooks.Words;
    std::mt19937 random(13);
    for (int round = 0; round < 60; ++round) {
        const std::string page = RandomPage(random, 10 + round * 3);
        hooks.Noted.clear();
        const size_t taken = hooks.TakenFromScan;
        ParseOnce(page, false);
        const std::vector<std::string> searched = hooks.Noted;
        ASSERT_EQ(hooks.TakenFromScan, taken);
        hooks.Noted.clear();
        ParseOnce(page, true);
        ASSERT_EQ(hooks.Noted, searched) << "round " << round << ": " << page;
    }
    EXPECT_GT(hooks.TakenFromScan, 1000u);
    // A scan made with another list of the same words is not taken.
    ScanWords = std::make_shared<const TTagInterest>(std::vector<std::string>{"style", "href", "srcset", "<", "a"});
    hooks.TakenFromScan = 0;
    ParseOnce("<a href=x.html style=1><p>", true);
    EXPECT_EQ(hooks.TakenFromScan, 0u);
}

// Tags nobody wants are passed over, with the texts between them: the
// copy and the links stay the same, and every wanted tag is handed over.
TEST_F(PageScan, TagsTheHooksDoNotWantArePassedOverAndTheOthersHandedAsBefore) {
    TInterestedHooks hooks;
    Parser = std::make_unique<THTMLParser>(Project, hooks);
    ScanWords = hooks.Interest;
    std::mt19937 random(14);
    size_t handedAlone = 0, handedScanned = 0;
    for (int round = 0; round < 80; ++round) {
        const std::string page = RandomPage(random, 10 + round * 3);
        hooks.Wanted.clear();
        hooks.Handed = 0;
        const TOutcome alone = ParseOnce(page, false);
        const std::vector<std::string> wanted = hooks.Wanted;
        handedAlone += hooks.Handed;
        hooks.Wanted.clear();
        hooks.Handed = 0;
        ASSERT_EQ(ParseOnce(page, true), alone) << "round " << round << ": " << page;
        ASSERT_EQ(hooks.Wanted, wanted) << "round " << round << ": " << page;
        handedScanned += hooks.Handed;
    }
    EXPECT_LT(handedScanned, handedAlone);  // the plain ones were passed over
}

// A page of nothing but tags: the scan keeps a bounded number of them, and
// the parser reads the rest by itself, to the same copy.
TEST_F(PageScan, APageOfNothingButTagsIsScannedOnlySoFar) {
    std::string page;
    while (page.size() < 3 * TPageScan::kMostTags) page += "<>";
    page += "<a href=last.html>";
    EXPECT_EQ(TPageScan::Read(page, 0).Count(), TPageScan::kMostTags);
    Project.ProjectMode = pmMirror;
    const TOutcome alone = ParseOnce(page, false);
    EXPECT_EQ(ParseOnce(page, true), alone);
    EXPECT_EQ(alone.Stored, page);
    EXPECT_EQ(alone.Links.back(), "ref http://h/a/last.html");
}

// What the scan read stays true when more arrives: it took no unfinished
// tag, and a tag it did take ends where it ended.
TEST_F(PageScan, AScanOfThePartThatHadArrivedStaysRight) {
    std::mt19937 random(11);
    for (int round = 0; round < 40; ++round) {
        const std::string page = RandomPage(random, 40);
        const TOutcome alone = ParseOnce(page, false);
        StartAgain();
        TMemoryStream stream;
        Parser->BeginDocument(*PageLink, stream);
        const size_t half = page.size() / 2;
        stream.Write(page.data(), static_cast<int64_t>(half));
        TPageScan early = TPageScan::Read(Parser->Unparsed(), Parser->ParsedTo());
        // The rest arrives after the scan was made: a tag cut by the half is
        // whole now, and the parser reads it itself.
        stream.Write(page.data() + half, static_cast<int64_t>(page.size() - half));
        Parser->UseScan(std::move(early));
        Parser->EndDocument();
        TOutcome outcome{Stored(*PageLink), ListOrder()};
        for (TDownloadLink* link : PageLink->References) outcome.Links.push_back("ref " + link->FullURL());
        ASSERT_EQ(outcome, alone) << "round " << round << ": " << page;
    }
}

// The scanner's thread: every page handed over comes back once under its
// ticket, scanned as a scan on the caller's thread would be; the owner is
// told when there is something to take; pages still waiting when the
// scanner goes are dropped without a hang.
TEST(PageScanner, ScansComeBackOnceUnderTheirTickets) {
    std::atomic<int> told{0};
    std::map<uint64_t, std::string> pages;
    {
        TPageScanner scanner([&] { ++told; });
        std::mt19937 random(12);
        std::map<uint64_t, size_t> counts;
        // In two rounds: the second reads into the room the first gave back.
        for (int round = 0; round < 2; ++round) {
            for (int i = 0; i < 100; ++i) {
                std::string page = RandomPage(random, 5 + (i * 7 + round * 3) % 50);
                pages[scanner.Submit(page, 1000)] = page;
            }
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
            while (counts.size() < pages.size() && std::chrono::steady_clock::now() < deadline) {
                for (TPageScanner::TFinished& finished : scanner.TakeFinished()) {
                    ASSERT_EQ(counts.count(finished.Ticket), 0u);
                    ASSERT_EQ(pages.count(finished.Ticket), 1u);
                    counts[finished.Ticket] = finished.Scan.Count();
                    EXPECT_EQ(finished.Scan.From, 1000u);
                    // Read into again for later pages: what it held must not show there.
                    scanner.GiveBack(std::move(finished.Scan));
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        }
        ASSERT_EQ(counts.size(), pages.size());
        for (const auto& [ticket, count] : counts) EXPECT_EQ(count, TPageScan::Read(pages[ticket], 1000).Count());
        EXPECT_GE(told.load(), 1);
        // Pages that wait when the scanner goes.
        for (int i = 0; i < 50; ++i) scanner.Submit(std::string(100000, '<'), 0);
    }
}
