// vorlin-make-update: builds a signed update from the old and the new
// program folder. Writes, into the output folder, the description the
// running program asks for ("httpvorl32ge-<old version>.upd") and the
// package it names, each with its detached signature (".sig").
#include "updater/UpdateRelease.h"

#include "platform/FileSystem.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <string>

using namespace vorlin;
using namespace vorlin::updater;

namespace {

int Usage(const char* program) {
    std::fprintf(stderr,
                 "usage: %s --key PRIVATE-KEY --old DIR --new DIR --from VERSION --to VERSION\n"
                 "          [--changes \"line;line\"] --out DIR\n"
                 "Builds the update from program version --from (installed in --old) to --to\n"
                 "(installed in --new) and signs the description and the package.\n",
                 program);
    return 2;
}

} // namespace

int main(int argc, char* argv[]) {
    std::map<std::string, std::string> options;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--", 2) != 0 || i + 1 >= argc) return Usage(argv[0]);
        options[argv[i] + 2] = argv[i + 1];
        ++i;
    }
    for (const char* required : {"key", "old", "new", "from", "to", "out"})
        if (options[required].empty()) return Usage(argv[0]);
    try {
        TKeyPair keys;
        keys.Private = LoadPrivateKey(options["key"]);
        keys.Public = PublicKeyOf(keys.Private);
        TReleaseOptions release;
        release.OldDir = IncludeTrailingSlash(options["old"]);
        release.NewDir = IncludeTrailingSlash(options["new"]);
        release.OldVersion = options["from"];
        release.NewVersion = options["to"];
        release.Changes = options["changes"];
        const TRelease built = BuildRelease(release);
        const std::string out = IncludeTrailingSlash(options["out"]);
        ForceDirectories(out);
        WriteSignedFile(out + built.PackageName, WritePackage(built.Package), keys);
        WriteSignedFile(out + built.DescriptionName, built.Description, keys);
        std::printf("%s: %zu patched, %zu added\n%s\n", (out + built.PackageName).c_str(), built.Package.Patches.size(),
                    built.Package.Adds.size(), (out + built.DescriptionName).c_str());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vorlin-make-update: %s\n", e.what());
        return 1;
    }
    return 0;
}
