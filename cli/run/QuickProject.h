// Projects that `vorlin get` makes: named from the host as the project tree
// names its nodes, placed in "Quick Projects", with the settings a new
// project shows in the options dialog.
#pragma once

#include <string>

namespace vorlin {
class TDownloadProject;
}

namespace vorlin::cli {

// Control characters, '"' and * / : < > ? \ | become the replacement.
std::string CleanCaption(const std::string& text, char replacement = '_');
// The caption itself when no ".prj" of that name is in the directory, else
// "%s (%d)" with 2, 3, ... until it is free.
std::string UniqueCaption(const std::string& directory, const std::string& caption);

// home/"Projects/Quick Projects/".
std::string QuickProjectsDirectory(const std::string& home);
// The host of an address, as typed ("http://" optional); empty when none.
std::string HostOfURL(const std::string& url);

// A new project's settings: offline browsing, stay in the start directory,
// interpret scripts, backgrounds and outside images on, invalid characters
// replaced by nothing, "zip" and ".exe" excluded, no limits, no credentials.
void SetNewProjectDefaults(TDownloadProject& project);

} // namespace vorlin::cli
