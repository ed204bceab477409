// A fresh directory below /tmp for one test, removed with what it holds when
// the test ends; and a file's whole text, for checking what was written.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>

namespace vorlin::test {

struct TTempDir {
    std::string Path;  // ends in "/"
    explicit TTempDir(const std::string& name = "vorlin-test") {
        std::string pattern = "/tmp/" + name + "-XXXXXX";
        Path = std::string(mkdtemp(pattern.data())) + "/";
    }
    ~TTempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(Path, ignored);
    }
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;
};

inline std::string FileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace vorlin::test
