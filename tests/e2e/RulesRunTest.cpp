// The project's rules in a run of the fixture site: large GIFs are
// refused once their size is known, and every PDF is copied into a folder
// of the user's after it is stored.
#include "tests/e2e/support/FixtureSite.h"
#include "tests/e2e/support/SiteRun.h"

#include "platform/FileSystem.h"
#include "project/DownloadLink.h"
#include "rules/CopyActions.h"
#include "rules/FileSizeCondition.h"
#include "rules/HTTPVorlinRules.h"
#include "rules/MaskConditions.h"

#include <gtest/gtest.h>

namespace vorlin::test {
namespace {

class RulesRunTest : public TFixtureSiteRun {
protected:
    // The rules file of the run's project, as `vorlin rules add` writes it.
    void WriteRules() {
        THTTPVorlinRules rules;
        THTTPVorlinRule& large = rules.Add();
        large.Name = "No large GIFs";
        large.Enabled = true;
        auto* name = FindElement<TFileNameCondition>(large);
        auto* size = FindElement<TFileSizeCondition>(large);
        auto* exclude = FindElement<TExcludeAction>(large);
        ASSERT_TRUE(name && size && exclude);
        name->Masks = {"*.gif"};
        name->Active = true;
        size->MinSize = 10;
        size->GreaterEnabled = size->Active = true;
        exclude->Active = true;

        THTTPVorlinRule& pdf = rules.Add();
        pdf.Name = "Collect PDFs";
        pdf.Enabled = true;
        auto* pdfName = FindElement<TFileNameCondition>(pdf);
        auto* copy = FindElement<TCopyToDirAction>(pdf);
        ASSERT_TRUE(pdfName && copy);
        pdfName->Masks = {"*.pdf"};
        pdfName->Active = true;
        copy->Directory = CopyDir();
        copy->Active = true;
        ForceDirectories(ExtractFilePath(run.DataFile()));
        rules.SaveToFile(RulesFileOfProject(run.Project));
    }
    std::string CopyDir() const { return run.Dir() + "/pdfs"; }
};

TEST_F(RulesRunTest, LargeGifsAreRefusedAndPdfsCopied) {
    ASSERT_NO_FATAL_FAILURE(WriteRules());
    ASSERT_TRUE(run.RunToEnd(60000));

    std::vector<std::string> files = FixtureExpectedFiles();
    std::set<std::string> expected(files.begin(), files.end());
    expected.erase("img/large.gif");
    expected.erase("private/secret.html");  // no credentials in this run
    expected.erase("private/key.gif");
    EXPECT_EQ(StoredFiles(), expected);
    // The size is known from the header only: it was asked for, not stored.
    EXPECT_EQ(Server->RequestCount("/img/large.gif"), 1);
    auto saved = run.SavedLinks();
    TDownloadLink* large = TRunHarness::LinkOf(*saved, URL("img/large.gif"));
    ASSERT_NE(large, nullptr);
    EXPECT_EQ(large->State, lsFilteredOut);
    EXPECT_EQ(TRunHarness::LinkOf(*saved, URL("img/logo.gif"))->State, lsDownloaded);

    EXPECT_EQ(FilesBelow(CopyDir()), (std::set<std::string>{"manual.pdf", "report.pdf"}));
    EXPECT_EQ(ReadWholeFile(CopyDir() + "/manual.pdf"), Served("files/manual.pdf"));
    EXPECT_EQ(ReadWholeFile(CopyDir() + "/report.pdf"), Served("files/report.pdf"));
    // The missing image, and the private page that needs a password nobody gave.
    EXPECT_TRUE(run.Window.Errors.size() == 2) << ::testing::PrintToString(run.Window.Errors);
    EXPECT_TRUE(run.Window.ErrorLogged("needs a user name and password"));
}

TEST_F(RulesRunTest, UnchangedFilesAreNotCopiedAgain) {
    ASSERT_NO_FATAL_FAILURE(WriteRules());
    ASSERT_TRUE(run.RunToEnd(60000));
    ASSERT_TRUE(run.RunToEnd(60000));
    // The second run's PDFs came back "not modified": nothing was stored,
    // so nothing was copied (no "manual1.pdf").
    EXPECT_EQ(Server->RequestCount("/files/manual.pdf"), 2);
    EXPECT_EQ(FilesBelow(CopyDir()), (std::set<std::string>{"manual.pdf", "report.pdf"}));
    EXPECT_EQ(ReadWholeFile(CopyDir() + "/manual.pdf"), Served("files/manual.pdf"));
}

} // namespace
} // namespace vorlin::test
