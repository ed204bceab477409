// The makers' side of an update: compares an old and a new program folder,
// builds the package (patch data for changed files, whole files for new
// ones), writes the description the program fetches, and signs both.
#pragma once

#include "updater/UpdatePackage.h"
#include "updater/UpdateSignature.h"

#include <string>

namespace vorlin::updater {

struct TReleaseOptions {
    std::string OldDir, NewDir;   // program folders, ending in "/"
    std::string OldVersion;       // names the description: httpvorl32ge-<OldVersion>.upd
    std::string NewVersion;
    std::string Changes;          // lines separated by ";"
    std::string PatcherName = "updater";  // a new patcher travels as "<name>.new"
};

struct TRelease {
    TUpdatePackage Package;
    std::string DescriptionName, Description;
    std::string PackageName;
};

// Files that belong to the user, not to the program, are never part of an
// update (projects, settings, downloads of earlier updates).
bool IsUserFile(const std::string& relative);

TRelease BuildRelease(const TReleaseOptions& options);

// Writes path and path + ".sig" (the signature of exactly those bytes).
void WriteSignedFile(const std::string& path, const std::string& bytes, const TKeyPair& keys);

// The description file's name for a running version.
std::string DescriptionFileName(const std::string& version);

} // namespace vorlin::updater
