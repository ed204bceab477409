// Later runs of a project: a finished one asks the server whether each file
// changed and writes nothing again; a cut file is continued with a range;
// a run that died is resumed from its autosaved link data.
#include "tests/e2e/support/FixtureSite.h"
#include "tests/e2e/support/SiteRun.h"

#include "platform/Messages.h"
#include "project/DownloadLink.h"
#include "project/DownloadLinks.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>

namespace vorlin::test {
namespace {

class UpdateRunTest : public TFixtureSiteRun {
protected:
    std::map<std::string, std::filesystem::file_time_type> Times() const {
        std::map<std::string, std::filesystem::file_time_type> times;
        for (const std::string& file : StoredFiles()) times[file] = std::filesystem::last_write_time(HostDir() + file);
        return times;
    }
    // Path -> status of the access log's lines [first, end); a path asked
    // for twice is a failure unless the server asked for credentials first
    // (the protected area is tried without them once).
    std::map<std::string, int> Statuses(size_t first, size_t end) const {
        std::map<std::string, int> statuses;
        std::vector<std::string> lines = LogLinesFrom(first);
        if (end - first < lines.size()) lines.resize(end - first);
        for (const std::string& line : lines) {
            if (line.find("\"GET ") == std::string::npos) continue;  // the start address test
            size_t path = line.find(' ', line.find('"')) + 1;
            std::string target = line.substr(path, line.find(' ', path) - path);
            int status = std::stoi(line.substr(line.find("\" ", path) + 2, 3));
            auto [it, added] = statuses.emplace(target, status);
            EXPECT_TRUE(added || it->second == 401) << "asked twice: " << line;
            it->second = status;
        }
        return statuses;
    }
    std::vector<std::string> LogLinesFrom(size_t first) const {
        std::vector<std::string> lines;
        std::istringstream log(Server->AccessLog());
        size_t n = 0;
        for (std::string line; std::getline(log, line); ++n)
            if (n >= first) lines.push_back(line);
        return lines;
    }
};

TEST_F(UpdateRunTest, SecondRunIsAnsweredNotModifiedAndRewritesNothing) {
    run.Project.UseAutentfication = true;
    run.Project.UserName = kFixtureUser;
    run.Project.Password = kFixturePassword;
    ASSERT_TRUE(run.RunToEnd(60000));
    const auto filesBefore = StoredFiles();
    std::map<std::string, std::string> contents;
    for (const std::string& file : filesBefore) contents[file] = Stored(file);
    const auto timesBefore = Times();
    const size_t firstRunLines = LogLinesFrom(0).size();

    ASSERT_TRUE(run.RunToEnd(60000));
    // Every address of the first run was asked for once more; what was
    // stored then was asked for with a date and came back "not modified",
    // except the listing, which the server gives no date; what failed or
    // moved is asked again.
    const auto first = Statuses(0, firstRunLines), second = Statuses(firstRunLines, SIZE_MAX);
    ASSERT_EQ(first.size(), second.size());
    EXPECT_GT(first.size(), 30u);
    for (const auto& [path, status] : first) {
        if (status == 200 && path != "/listing/") {
            EXPECT_EQ(second.at(path), 304) << path;
        } else {
            EXPECT_EQ(second.at(path), status) << path;
        }
    }
    for (const std::string& line : LogLinesFrom(firstRunLines))
        if (line.find("\" 304 ") != std::string::npos) {
            EXPECT_EQ(line.find("ims=\"-\""), std::string::npos) << line;
        }

    EXPECT_EQ(StoredFiles(), filesBefore);
    for (const auto& [file, text] : contents) EXPECT_TRUE(Stored(file) == text) << file;
    // Only the listing (fetched again) and the moved page (copied from its
    // target again at the end of the run) were written.
    auto timesAfter = Times();
    for (const auto& [file, time] : timesBefore)
        if (file != "listing/index.html" && file != "old.html") {
            EXPECT_TRUE(timesAfter[file] == time) << file;
        }
}

TEST_F(UpdateRunTest, TruncatedFileIsCompletedWithARange) {
    ASSERT_TRUE(run.RunToEnd(60000));
    std::filesystem::resize_file(HostDir() + "files/big.bin", 1000000);
    const auto timesBefore = Times();

    ASSERT_TRUE(run.RunToEnd(60000));
    auto asked = Server->RequestsOf("/files/big.bin");
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_NE(asked[1].find("\" 206 " + std::to_string(kFixtureBigFileSize - 1000000) + " "), std::string::npos)
        << asked[1];
    EXPECT_NE(asked[1].find("range=\"bytes=1000000-" + std::to_string(kFixtureBigFileSize - 1) + "\""),
              std::string::npos)
        << asked[1];
    EXPECT_TRUE(Stored("files/big.bin") == Served("files/big.bin"));
    // The other files were not touched.
    EXPECT_TRUE(Times().at("files/manual.pdf") == timesBefore.at("files/manual.pdf"));
}

// What a run killed in the middle leaves on disk, taken while it runs with
// autosave as often as it goes (once a second): the next run continues from there.
class DeadRunTest : public UpdateRunTest {
protected:
    void SetUp() override {
        ExtraConfig = "    location = /files/big.bin { limit_rate 1m; }\n";
        UpdateRunTest::SetUp();
    }
};

TEST_F(DeadRunTest, AutosavedRunIsResumedWithOnlyWhatIsMissing) {
    namespace fs = std::filesystem;
    run.Settings.AutosaveEnabled = true;
    run.Settings.AutosaveMinutes = 0;
    const std::string big = HostDir() + "files/big.bin";
    run.Start();
    auto size = [&] {
        std::error_code ec;
        auto n = fs::file_size(big, ec);
        return ec ? 0 : static_cast<int64_t>(n);
    };
    // Autosaves come at most once a second: the first one with the file under way.
    ASSERT_TRUE(run.PumpUntil([&] { return size() >= 512 * 1024 && fs::exists(run.DataFile()); }, 20000));
    run.PumpUntil([] { return false; }, 200);
    // The state on disk at this instant is what a SIGKILL would leave.
    fs::copy_file(run.DataFile(), run.Dir() + "/dead.dat");
    fs::copy_file(big, run.Dir() + "/dead.bin");
    run.Post(WM_QUIT);
    ASSERT_TRUE(run.WaitFinished(20000));
    fs::copy_file(run.Dir() + "/dead.dat", run.DataFile(), fs::copy_options::overwrite_existing);
    fs::copy_file(run.Dir() + "/dead.bin", big, fs::copy_options::overwrite_existing);
    const int64_t cut = size();
    ASSERT_LT(cut, kFixtureBigFileSize);
    // The links done when the run died, as paths on the server.
    std::set<std::string> done;
    {
        auto saved = run.SavedLinks();
        TDownloadLink* link = TRunHarness::LinkOf(*saved, URL("files/big.bin"));
        ASSERT_NE(link, nullptr);
        EXPECT_EQ(link->State, lsPending);
        EXPECT_EQ(link->Size, kFixtureBigFileSize);
        for (TDownloadLink* l : *saved->Links)
            if (l->State != lsPending) done.insert("/" + l->Path);
    }

    const size_t firstRun = LogLinesFrom(0).size();
    ASSERT_TRUE(run.RunToEnd(60000));
    // Only what was missing was asked for (links still pending, and those
    // their pages name); what was done stayed done.
    const std::vector<std::string> asked = LogLinesFrom(firstRun);
    EXPECT_LT(asked.size(), static_cast<size_t>(firstRun) / 2);
    for (const std::string& line : asked) {
        size_t path = line.find(' ', line.find('"')) + 1;
        EXPECT_FALSE(done.count(line.substr(path, line.find(' ', path) - path))) << line;
    }
    std::vector<std::string> bigAsked = Server->RequestsOf("/files/big.bin");
    ASSERT_EQ(bigAsked.size(), 2u);
    EXPECT_NE(bigAsked[1].find("\" 206 "), std::string::npos) << bigAsked[1];
    EXPECT_NE(bigAsked[1].find("range=\"bytes=" + std::to_string(cut) + "-" +
                               std::to_string(kFixtureBigFileSize - 1)),
              std::string::npos)
        << bigAsked[1];
    EXPECT_TRUE(Stored("files/big.bin") == Served("files/big.bin"));
    std::vector<std::string> files = FixtureExpectedFiles();
    std::set<std::string> expected(files.begin(), files.end());
    expected.erase("private/secret.html");
    expected.erase("private/key.gif");
    EXPECT_EQ(StoredFiles(), expected);
}

} // namespace
} // namespace vorlin::test
