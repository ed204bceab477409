// The claimable links: list order whatever the order of entering, links
// given back finding their place again, and a scan that sees only the links
// that were there when it began.
#include "engine/ClaimableLinks.h"
#include "project/DownloadLinks.h"
#include "project/DownloadProject.h"

#include <gtest/gtest.h>

namespace vorlin {
namespace {

class ClaimableLinksTest : public ::testing::Test {
protected:
    TDownloadLink* Append(const std::string& path) {
        auto* link = new TDownloadLink(&project);
        link->SetServer("http://h/");
        link->Path = path;
        project.Links->Add(link);
        return link;
    }
    TDownloadLink* After(TDownloadLink* page, const std::string& path) {
        auto* link = new TDownloadLink(&project);
        link->SetServer("http://h/");
        link->Path = path;
        project.Links->InsertAfter(page, link);
        return link;
    }
    std::vector<std::string> TakeAll() {
        std::vector<std::string> paths;
        uint64_t scan = links.BeginScan();
        while (TDownloadLink* link = links.TakeFirst(scan)) paths.push_back(link->Path);
        return paths;
    }
    TDownloadProject project;
    TClaimableLinks links{*project.Links};
};

TEST_F(ClaimableLinksTest, FirstOfTheListComesFirstWhateverTheOrderOfEntering) {
    TDownloadLink* page = Append("page");
    TDownloadLink* second = Append("second");
    links.Add(second);
    // An image of the page lands between the page and the next page.
    TDownloadLink* image = After(page, "image");
    links.Add(image);
    TDownloadLink* third = Append("third");
    links.Add(third);
    links.Add(page);
    links.Add(image);  // already in: once only
    EXPECT_EQ(links.Count(), 4u);
    EXPECT_EQ(TakeAll(), (std::vector<std::string>{"page", "image", "second", "third"}));
    EXPECT_EQ(links.Count(), 0u);
}

TEST_F(ClaimableLinksTest, GivenBackLinkTakesItsPlaceAgain) {
    TDownloadLink* a = Append("a");
    TDownloadLink* b = Append("b");
    TDownloadLink* c = Append("c");
    links.Add(a);
    links.Add(b);
    links.Add(c);
    uint64_t scan = links.BeginScan();
    EXPECT_EQ(links.TakeFirst(scan), a);
    EXPECT_EQ(links.TakeFirst(scan), b);
    links.Add(a);
    EXPECT_TRUE(links.Contains(a));
    EXPECT_FALSE(links.Contains(b));
    EXPECT_EQ(TakeAll(), (std::vector<std::string>{"a", "c"}));
}

TEST_F(ClaimableLinksTest, ScanSeesOnlyTheLinksPresentWhenItBegan) {
    TDownloadLink* page = Append("page");
    TDownloadLink* last = Append("last");
    links.Add(last);
    uint64_t scan = links.BeginScan();
    // Added during the scan, even ahead of the others: left for the next one.
    TDownloadLink* early = After(page, "early");
    links.Add(early);
    EXPECT_EQ(links.TakeFirst(scan), last);
    EXPECT_EQ(links.TakeFirst(scan), nullptr);
    EXPECT_EQ(TakeAll(), std::vector<std::string>{"early"});
}

TEST_F(ClaimableLinksTest, LinkOfAnotherListIsIgnored) {
    TDownloadProject other;
    auto* stranger = new TDownloadLink(&other);
    stranger->SetServer("http://h/");
    other.Links->Add(stranger);
    links.Add(stranger);
    EXPECT_EQ(links.Count(), 0u);
}

} // namespace
} // namespace vorlin
