// Applies an update package to the program folder so that afterwards either
// every file is new or every file is as before. All paths are checked
// first; every new file (patched or added) is then built beside its target
// under a temporary name; only when all of them are ready are the old files
// renamed to their ".bak" names and the new ones renamed into place. A
// failure in any step puts every ".bak" back and removes what was made.
// A running program's file is replaced, never rewritten.
#pragma once

#include "updater/PatcherView.h"
#include "updater/UpdatePackage.h"

#include <functional>
#include <string>

namespace vorlin::updater {

class TPackageInstaller {
public:
    // programDir ends in "/".
    TPackageInstaller(std::string programDir, IPatcherView& view);

    // Throws EUpdateError (or a kind of it) with the reason; the folder is
    // then as it was, but for ".bak" copies of an earlier update.
    void Install(const TUpdatePackage& package);

    // How often, and how far apart, renaming a file to ".bak" is tried
    // before the update gives up (the file may be held by a program).
    int BakRenameTries = 20;
    int BakRetryPauseMs = 250;
    // The rename every step goes through (tests make one fail).
    std::function<int(const std::string& from, const std::string& to)> Rename;

private:
    struct TStaged {
        std::string Target;   // host path
        std::string Temporary;
        bool HadOld = false;
        bool Swapped = false;
    };
    void Stage(const TUpdatePackage& package);
    void StageFile(const std::string& relative, const std::string& content, unsigned mode);
    void Commit();
    void RollBack();
    void MakeFolders(const std::string& relative);
    bool RenameToBak(const std::string& target);

    std::string FDir;
    IPatcherView& FView;
    std::vector<TStaged> FStaged;
    std::vector<std::string> FMadeFolders;
};

// The temporary name a new file is built under, beside its target.
constexpr const char* kStagedSuffix = ".update-new";

} // namespace vorlin::updater
