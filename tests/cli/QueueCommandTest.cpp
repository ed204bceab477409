// `vorlin queue` as a program, against a stand-in for HTTPVorlin's main
// window that the test publishes in a runtime directory of its own.
#include "platform/InterProcess.h"
#include "platform/MessageTarget.h"
#include "tests/cli/CliTestSupport.h"
#include "tests/support/LoopHelpers.h"

#include <gmock/gmock.h>

#include <atomic>
#include <cstdlib>
#include <thread>

#include <sys/wait.h>

using namespace vorlin;
using namespace vorlin::test;
using ::testing::HasSubstr;

namespace {

class QueueCommand : public ::testing::Test {
protected:
    void SetUp() override { SetInterProcessDirectoryForTests(FTemp.Path() + "HTTPVorlin"); }

    // Starts the program with XDG_RUNTIME_DIR pointing at the test's
    // directory and lets the calling thread's loop run until it has ended.
    int Run(const std::string& arguments) {
        std::string out = FTemp.Path() + "out", err = FTemp.Path() + "err";
        std::string command = "XDG_RUNTIME_DIR='" + FTemp.Path() + "' '" + std::string(VORLIN_PROGRAM) + "' " +
                              arguments + " >'" + out + "' 2>'" + err + "' </dev/null";
        std::atomic<int> status{-2};
        std::thread child([&] {
            int raw = std::system(command.c_str());
            status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        });
        PumpUntil([&] { return status != -2; }, 20000);
        child.join();
        Out = ReadWholeFile(out);
        Err = ReadWholeFile(err);
        return status;
    }

    TCliTempDir FTemp;
    std::string Out, Err;
};

TEST_F(QueueCommand, SendsTheNodePathToTheMainWindowAsTheSchedulerDoes) {
    std::vector<TMsg> seen;
    TMessageTarget window([&](TMsg& m) -> intptr_t {
        seen.push_back(std::move(m));
        return 0;
    });
    auto published = PublishWindow("THttpGetForm", window.Handle(), "HTTP Vorlin");
    ASSERT_NE(published, nullptr);

    ASSERT_EQ(Run("queue '/Projects/News/Daily Ö'"), 0) << Err;
    PumpUntil([&] { return !seen.empty(); }, 5000);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].Message, WM_COPYDATA);
    TCopyData* data = seen[0].PayloadAs<TCopyData>();
    ASSERT_NE(data, nullptr);
    const std::string expected = "/Projects/News/Daily Ö";
    std::vector<uint8_t> bytes(expected.begin(), expected.end());
    bytes.push_back(0);
    EXPECT_EQ(data->Bytes, bytes) << "zero-terminated, as WM_COPYDATA carries it";
}

TEST_F(QueueCommand, SaysSoWhenHTTPVorlinIsNotRunning) {
    EXPECT_EQ(Run("queue /Projects/a"), 1);
    EXPECT_THAT(Err, HasSubstr("HTTPVorlin is not running"));
    EXPECT_EQ(Run("queue"), 2) << "no node path";
    EXPECT_THAT(Err, HasSubstr("usage: vorlin queue NODEPATH"));
}

} // namespace
