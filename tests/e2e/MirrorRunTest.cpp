// The fixture site in mirror mode: every stored file is the served file,
// byte for byte (pages are not rewritten).
#include "tests/e2e/support/FixtureSite.h"
#include "tests/e2e/support/SiteRun.h"

#include <gtest/gtest.h>

namespace vorlin::test {
namespace {

class MirrorRunTest : public TFixtureSiteRun {};

TEST_F(MirrorRunTest, EveryStoredFileIsTheServedFile) {
    run.Project.ProjectMode = pmMirror;
    run.Project.UseAutentfication = true;
    run.Project.UserName = kFixtureUser;
    run.Project.Password = kFixturePassword;
    ASSERT_TRUE(run.RunToEnd(60000));

    std::vector<std::string> expected = FixtureExpectedFiles();
    EXPECT_EQ(StoredFiles(), std::set<std::string>(expected.begin(), expected.end()));
    for (const std::string& file : StoredFiles()) {
        if (file == "listing/index.html") continue;  // made by the server, no file of its own
        // The moved page is stored under its old name as well.
        std::string served = Served(file == "old.html" ? "new.html" : file);
        EXPECT_TRUE(Stored(file) == served) << file << " differs from the served file";
    }
    EXPECT_NE(Stored("listing/index.html").find("<a href=\"../\">../</a>"), std::string::npos);
}

} // namespace
} // namespace vorlin::test
