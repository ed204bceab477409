// A fresh directory below /tmp for one test, removed with everything in it.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

namespace vorlin {

struct TTempDir {
    TTempDir() {
        char pattern[] = "/tmp/vorlin-project-XXXXXX";
        Path = std::string(::mkdtemp(pattern)) + "/";
    }
    ~TTempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(Path, ignored);
    }
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;
    std::string Path;  // ends in "/"
};

} // namespace vorlin
