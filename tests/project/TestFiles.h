// Files for tests: a fresh directory per test, and bytes in and out of files.
#pragma once

#include "platform/Stream.h"

#include <cstdlib>
#include <filesystem>
#include <initializer_list>
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

inline std::string Bytes(std::initializer_list<int> values) {
    std::string s;
    for (int v : values) s += static_cast<char>(v);
    return s;
}

// A short string as the tagged value stream stores it (tag 6).
inline std::string Str(const std::string& text) {
    return Bytes({6, static_cast<int>(text.size())}) + text;
}

inline std::string ReadAll(const std::string& path) {
    TMemoryStream m;
    m.LoadFromFile(path);
    return m.ToString();
}

inline void WriteAll(const std::string& path, const std::string& bytes) {
    TFileStream f(path, fmCreate);
    f.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
}

} // namespace vorlin
