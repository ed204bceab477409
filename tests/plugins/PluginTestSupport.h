// Shared by the plugin tests: a temporary program directory with a
// "Plugins/" folder, copies of the test plugin installed into it under any
// name, and access to the test plugin's own exports (configuration and call
// log) through the library the plugin system loaded.
#pragma once

#include "platform/DynamicLibrary.h"

#include <string>

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

} // namespace vorlin::test
