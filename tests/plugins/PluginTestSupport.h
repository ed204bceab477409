// Shared by the plugin tests: a temporary program directory with a
// "Plugins/" folder, copies of the test plugin installed into it under any
// name, and access to the test plugin's own exports (configuration and call
// log) through the library the plugin system loaded.
#pragma once

#include "platform/DynamicLibrary.h"
#include "rules/PluginSystem.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace vorlin::test {

// A fresh directory below the system's temporary folder, removed with its
// contents at the end of the test.
class TTempDir {
public:
    TTempDir();
    ~TTempDir();
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;
    // With a trailing "/".
    const std::string& Path() const { return FPath; }

private:
    std::string FPath;
};

// The built test plugin: "testkit", "testkit_nodeinit" or "testkit_noinit".
std::string TestkitFile(const std::string& variant = "testkit");
// Copies a test plugin variant to programDir + "Plugins/" + relativeName
// (folders are created); returns the full path.
std::string InstallPlugin(const std::string& programDir, const std::string& relativeName,
                          const std::string& variant = "testkit");
void WriteFile(const std::string& path, const std::string& content);
std::string ReadFile(const std::string& path);

// The test plugin's exports in one loaded library.
class TTestkit {
public:
    explicit TTestkit(const TDynamicLibrary& library) : FLibrary(library) {}
    void Configure(const std::string& config) const;
    std::string Log() const;
    void ClearLog() const;
    int LiveObjects() const;

private:
    const TDynamicLibrary& FLibrary;
};

// A program directory with test plugins and a plugin system over it.
// Install() the plugins with their configuration, then Start() loads,
// configures and initialises them; errors they cause are collected.
class TPluginHostFixture : public ::testing::Test {
protected:
    void Install(const std::string& name, const std::string& config = "", const std::string& variant = "testkit");
    void Start();
    const TPlugin& Plugin(const std::string& name) const;
    TTestkit Kit(const std::string& name) const { return TTestkit(Plugin(name).Library); }
    std::string LogOf(const std::string& name) const { return Kit(name).Log(); }
    int LiveOf(const std::string& name) const { return Kit(name).LiveObjects(); }
    // How often the call log of the plugin holds "name: text".
    int CallCount(const std::string& name, const std::string& text) const;

    TTempDir FHome;
    std::vector<std::string> FErrors;
    TPluginSystem FSystem{FHome.Path(), [this](const std::string& m) { FErrors.push_back(m); }};

private:
    std::map<std::string, std::string> FConfigs;
};

} // namespace vorlin::test
