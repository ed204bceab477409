// The patcher's main sequence, without its window: wait for the main
// program and its two companions to close, check and apply the package,
// start the main program again with "afterupdate".
#pragma once

#include "updater/PatcherView.h"

#include <string>
#include <vector>

namespace vorlin::updater {

// The patcher's version, shown in its window's title.
constexpr const char* kPatcherVersion = "0.6";
// The class under which the patcher publishes its progress window.
constexpr const char* kPatcherWindowClass = "AR_UPDATERCLASS";

class TPatchSession {
public:
    // programDir: the folder of the patcher's own executable, ending in "/".
    TPatchSession(std::string programDir, IPatcherView& view);

    // Asks each of the main program and the companion programs to close
    // (the system close command) and waits until its window is gone. False
    // when the patcher's own window was closed meanwhile.
    bool WaitForPrograms();

    // Refuses a main program outside the program folder: the patcher never
    // starts anything else. Throws EUnsafePath.
    void CheckMainProgram(const std::string& mainProgram) const;

    // Checks the package's signature against the key beside the program,
    // reads it and installs it all-or-nothing. Throws EUpdateError.
    void ApplyPackage(const std::string& packagePath);

    // Starts the main program with "afterupdate" and the arguments the
    // program gave the patcher for it; false when it can't.
    bool RestartMainProgram(const std::string& mainProgram, const std::vector<std::string>& arguments = {});

    // Tests shorten the wait between looks for the other programs.
    int PollIntervalMs = 50;

private:
    std::string FDir;
    IPatcherView& FView;
};

} // namespace vorlin::updater
