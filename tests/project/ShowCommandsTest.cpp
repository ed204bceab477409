// The inspection commands as users and scripts run them: readable output for
// good files, a clear message and exit status 1 for bad ones, never a crash.
#include "platform/Stream.h"
#include "project/DownloadLinks.h"
#include "project/DownloadProject.h"
#include "tests/project/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <sys/wait.h>

using namespace vorlin;

namespace {

struct TRun {
    int Status = -1;  // exit status; 128 + n when killed by signal n
    std::string Output;  // stdout and stderr
};

TRun Vorlin(const std::string& args) {
    TRun run;
    std::string command = std::string(VORLIN_EXE) + " " + args + " 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return run;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.Output.append(buffer, n);
    int status = ::pclose(pipe);
    run.Status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return run;
}

class ShowCommands : public ::testing::Test {
protected:
    void SetUp() override {
        TDownloadProject p;
        p.URL = "http://h/";
        p.UserName = "me";
        p.Password = "secret";
        p.SaveToFile(Dir.Path + "p.prj");
        for (const char* path : {"", "a b.html", "img/x.gif"}) {
            auto* link = new TDownloadLink(&p);
            link->SetServer("http://h/");
            link->Path = path;
            link->LocalFileName = path;
            p.Links->Add(link);
        }
        p.Links->SaveToFile(Dir.Path + "p.dat");
    }
    TTempDir Dir;
};

} // namespace

TEST_F(ShowCommands, ShowProjectPrintsEveryValue) {
    TRun run = Vorlin("show-project " + Dir.Path + "p.prj");
    EXPECT_EQ(run.Status, 0) << run.Output;
    EXPECT_NE(run.Output.find("40 of 40 values"), std::string::npos);
    EXPECT_NE(run.Output.find("12 URL                        \"http://h/\""), std::string::npos);
    EXPECT_NE(run.Output.find("40 JavaScriptMode             0 (interpret)"), std::string::npos);
    EXPECT_EQ(run.Output.find("secret"), std::string::npos);  // hidden unless asked for
    run = Vorlin("show-project --show-password " + Dir.Path + "p.prj");
    EXPECT_NE(run.Output.find("\"secret\""), std::string::npos);
}

TEST_F(ShowCommands, ShowProjectRejectsBadFiles) {
    std::string good = ReadAll(Dir.Path + "p.prj");
    WriteAll(Dir.Path + "cut.prj", good.substr(0, 20));
    TRun run = Vorlin("show-project " + Dir.Path + "cut.prj");
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Output.find("damaged or truncated after value 11"), std::string::npos) << run.Output;
    EXPECT_NE(run.Output.find("(not in the file)"), std::string::npos);

    WriteAll(Dir.Path + "empty.prj", "");
    EXPECT_EQ(Vorlin("show-project " + Dir.Path + "empty.prj").Status, 1);
    run = Vorlin("show-project " + Dir.Path + "missing.prj");
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Output.find("no such file"), std::string::npos);

    size_t at = good.find("+HLS40Qs");
    ASSERT_NE(at, std::string::npos);
    std::string bad = good;
    bad[at] = '!';
    WriteAll(Dir.Path + "bad.prj", bad);
    run = Vorlin("show-project " + Dir.Path + "bad.prj");
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Output.find("Base64: Incorrect string format"), std::string::npos);

    EXPECT_EQ(Vorlin("show-project").Status, 2);
    EXPECT_EQ(Vorlin("show-project --bogus x").Status, 2);
}

TEST_F(ShowCommands, ShowLinksPrintsLinesAndJson) {
    TRun run = Vorlin("show-links " + Dir.Path + "p.dat");
    EXPECT_EQ(run.Status, 0) << run.Output;
    EXPECT_NE(run.Output.find("pending\thttp\tsource\t0\t0\t-\thttp://h/img/x.gif\th\\img/x.gif"),
              std::string::npos)
        << run.Output;
    EXPECT_NE(run.Output.find("# 3 links, file version 0.98"), std::string::npos);
    run = Vorlin("show-links --json " + Dir.Path + "p.dat");
    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(run.Output.rfind("{\"version\": 0.98, \"count\": 3,", 0), 0u) << run.Output;
    EXPECT_NE(run.Output.find("\"url\": \"http://h/a b.html\""), std::string::npos);
    EXPECT_NE(run.Output.find("\"localDir\": \"h\\\\\""), std::string::npos);
}

TEST_F(ShowCommands, ShowLinksKeepsControlCharactersOffTheTerminal) {
    TDownloadProject p;
    auto* link = new TDownloadLink(&p);
    link->SetServer("http://h/");
    link->Path = "a\x1b[2J\tb";
    p.Links->Add(link);
    p.Links->SaveToFile(Dir.Path + "ctl.dat");
    TRun run = Vorlin("show-links " + Dir.Path + "ctl.dat");
    EXPECT_EQ(run.Status, 0);
    EXPECT_NE(run.Output.find("http://h/a\\x1B[2J\\x09b"), std::string::npos) << run.Output;
    EXPECT_EQ(run.Output.find('\x1b'), std::string::npos);
}

TEST_F(ShowCommands, ShowLinksRejectsBadFiles) {
    TRun run = Vorlin("show-links " + Dir.Path + "p.prj");  // not compressed
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Output.find("Error loading project data: zlib"), std::string::npos) << run.Output;
    std::string good = ReadAll(Dir.Path + "p.dat");
    WriteAll(Dir.Path + "cut.dat", good.substr(0, good.size() - 6));
    run = Vorlin("show-links --json " + Dir.Path + "cut.dat");
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Output.find("\"error\": \"Error loading project data:"), std::string::npos)
        << run.Output;
    EXPECT_EQ(Vorlin("show-links " + Dir.Path + "missing.dat").Status, 1);
    EXPECT_EQ(Vorlin("show-links").Status, 2);
}

TEST_F(ShowCommands, RandomBytesNeverCrashEitherCommand) {
    std::mt19937 random(11);
    std::string good = ReadAll(Dir.Path + "p.prj");
    for (int i = 0; i < 12; ++i) {
        std::string bytes = i < 6 ? good : std::string();
        size_t length = i < 6 ? bytes.size() : random() % 200;
        bytes.resize(length);
        for (size_t k = 0; k < length; ++k)
            if (i >= 6 || random() % 8 == 0) bytes[k] = static_cast<char>(random());
        WriteAll(Dir.Path + "noise", bytes);
        TRun project = Vorlin("show-project " + Dir.Path + "noise");
        TRun links = Vorlin("show-links " + Dir.Path + "noise");
        EXPECT_LE(project.Status, 1) << project.Output;
        EXPECT_EQ(links.Status, 1) << links.Output;
    }
}
