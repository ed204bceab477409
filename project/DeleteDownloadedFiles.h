// Removing a project's downloaded files ("Reset Project Data", and every run
// start of a project that asks for it).
#pragma once

namespace vorlin {

class TDownloadProject;
struct TProgramSettings;

// Deletes the file of every link, last to first, below the project's
// Destination (or the settings' default download directory when it has
// none), then removes the directories of those files and every directory
// below them that holds no file. Nothing outside that directory is touched;
// a file that can't be deleted is left and the rest go on.
void DeleteDownloadedFiles(TDownloadProject& project, const TProgramSettings& settings);

} // namespace vorlin
