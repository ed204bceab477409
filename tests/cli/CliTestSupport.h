// Small helpers of the command line's tests: a temporary directory and
// whole files.
#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

#include <stdlib.h>

namespace vorlin::test {

class TCliTempDir {
public:
    TCliTempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "vorlin-cli-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("no temporary directory");
        FPath = pattern + "/";
    }
    ~TCliTempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(FPath, ignored);
    }
    TCliTempDir(const TCliTempDir&) = delete;
    TCliTempDir& operator=(const TCliTempDir&) = delete;
    // With a trailing "/".
    const std::string& Path() const { return FPath; }

private:
    std::string FPath;
};

inline void WriteWholeFile(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

inline std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace vorlin::test
