// The `vorlin` program run as a child over a temporary program directory,
// against a site served by the test process on 127.0.0.1 (TSiteServer).
#pragma once

#include "tests/cli/CliTestSupport.h"
#include "tests/engine/SiteServer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/wait.h>

namespace vorlin::test {

class TProgramTest : public ::testing::Test {
protected:
    // Runs the program with the arguments (already quoted for the shell)
    // and standard input from inputCommand's output (none: /dev/null);
    // answers the exit status and fills Out and Err.
    int Run(const std::string& arguments, const std::string& inputCommand = std::string()) {
        const std::string out = FTemp.Path() + "out", err = FTemp.Path() + "err";
        std::string command = "'" + std::string(VORLIN_PROGRAM) + "' " + arguments + " >'" + out + "' 2>'" + err + "'";
        command = inputCommand.empty() ? command + " </dev/null" : inputCommand + " | " + command;
        // Where `get` without DIR would put a site.
        command = "cd '" + FTemp.Path() + "' && " + command;
        int raw = std::system(command.c_str());
        Out = ReadWholeFile(out);
        Err = ReadWholeFile(err);
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }
    static std::string Program() { return "'" + std::string(VORLIN_PROGRAM) + "'"; }
    // A whole shell command line; answers the exit status and fills Out and Err.
    int RunShell(const std::string& command) {
        const std::string out = FTemp.Path() + "out", err = FTemp.Path() + "err";
        int raw = std::system((command + " >'" + out + "' 2>'" + err + "' </dev/null").c_str());
        Out = ReadWholeFile(out);
        Err = ReadWholeFile(err);
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }
    std::string Get(const std::string& options, const std::string& target, const std::string& path = "/") {
        return "get --home '" + Home() + "' " + options + " " + site.Url(path) + " '" + target + "'";
    }
    std::string Home() const { return FTemp.Path() + "home"; }
    std::string Target() const { return FTemp.Path() + "copy"; }
    std::string QuickProject(const std::string& caption) const {
        return Home() + "/Projects/Quick Projects/" + caption + ".prj";
    }
    std::string Caption() const { return "127.0.0.1_" + std::to_string(site.Port()); }
    // The site's directory in a copy: the host and the server's port.
    std::string HostDir() const { return "/127.0.0.1+" + std::to_string(site.Port()) + "/"; }

    TSiteServer site;
    TCliTempDir FTemp;
    std::string Out, Err;
};

} // namespace vorlin::test
