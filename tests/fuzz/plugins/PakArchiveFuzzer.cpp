// Arbitrary bytes as a plugin archive file: opened, every entry read, one
// entry replaced and the archive compacted. Nothing may crash, and what a
// compacted archive holds must read back the same.
#include "rules/PakArchive.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

using namespace vorlin;

namespace {
std::string ArchivePath() {
    static const std::string path = "/tmp/vorlin-pak-fuzz-" + std::to_string(::getpid()) + ".plugins";
    return path;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = ArchivePath();
    if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    try {
        std::string before;
        {
            TPakArchive archive(path);
            for (int i = 0; i < archive.Count(); ++i) {
                TMemoryStream m;
                archive.Read(i, m);
            }
            TMemoryStream entry;
            entry.WriteBuffer("fuzz", 4);
            int index = archive.Find("fuzz");
            if (index >= 0) archive.Delete(index);
            archive.Add(entry, "fuzz");
            archive.Compact();
            TMemoryStream m;
            archive.Read(archive.Find("fuzz"), m);
            if (m.ToString() != "fuzz") std::abort();
        }
        TPakArchive reopened(path);
        if (reopened.Find("fuzz") < 0) std::abort();
    } catch (const Exception&) {
        // A clear error is a fine answer to a bad file.
    }
    ::unlink(path.c_str());
    return 0;
}
