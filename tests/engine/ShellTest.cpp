// Opening a file with its program: started detached, without a shell, the
// caller never waiting for it, and a program that does not exist reported.
#include "platform/Shell.h"
#include "platform/FileSystem.h"
#include "tests/support/LoopHelpers.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <unistd.h>

namespace vorlin {
namespace {

TEST(Shell, ProgramRunsDetachedWithItsArgumentsUntouched) {
    auto dir = std::filesystem::temp_directory_path() / ("vorlin-shell-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    // A name a shell would split or expand.
    const std::string file = (dir / "a b;$(echo x)").string();
    ASSERT_TRUE(StartDetached("touch", {file}));
    EXPECT_TRUE(test::PumpUntil([&] { return FileExists(file); }));
    std::filesystem::remove_all(dir);
}

TEST(Shell, MissingProgramIsReported) {
    EXPECT_FALSE(StartDetached("vorlin-no-such-program", {"x"}));
}

TEST(Shell, OpenerCanBeReplaced) {
    std::string seen;
    TShellOpener previous = SetShellOpener([&](const std::string& path) {
        seen = path;
        return true;
    });
    EXPECT_TRUE(ShellOpen("/some/file.html"));
    SetShellOpener(previous);
    EXPECT_EQ(seen, "/some/file.html");
}

} // namespace
} // namespace vorlin
