// Viewing a downloaded project ("In Browser öffnen"). When the viewing
// server companion ("webserv") is installed beside the program, it is
// started and the browser opens its "/view" address of the project;
// otherwise the browser opens the project's first stored page straight
// from disk. Which way it goes is visible before (the action's hint) and
// after (the status bar) - see THttpGetForm::OpenInBrowser.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace vorlin {
class TDownloadProject;
}

namespace vorlin::app {

// Where the viewing server answers; it is started with "--home DIR
// --root URL" so it serves this program directory's projects there.
constexpr const char* kViewerRoot = "http://127.0.0.1:8077";
constexpr const char* kViewerProgram = "webserv";

struct TViewing {
    enum class TWay { vwServer, vwFile, vwNothing };
    TWay Way = TWay::vwNothing;
    std::string Target;  // the URL or the file opened
};

class TProjectViewer {
public:
    explicit TProjectViewer(std::string companionDirectory);

    // The directory looked in for the companion (the program's own).
    std::string CompanionDirectory;
    std::string Root = kViewerRoot;
    // How the companion is started (a detached program; tests record it).
    std::function<bool(const std::string& program, const std::vector<std::string>& arguments)> StartProgram;

    std::string CompanionPath() const;
    bool CompanionInstalled() const;

    // root + "/view" + the node path, URL-encoded, + ",/".
    static std::string ViewURL(const std::string& root, const std::string& nodePath);
    // The host path of the project's first downloaded page (else its first
    // downloaded file) that is on disk, read from the link data file into a
    // copy of the project, so a running download's list is never touched.
    // Empty when nothing is stored yet. A damaged link data file throws.
    static std::string FirstStoredPage(const TDownloadProject& project, const std::string& dataFile,
                                       const std::string& defaultDir);

    // Shows the project in the desktop's browser (ShellOpen) one way or
    // the other; a companion that does not start falls back to the file.
    TViewing View(const TDownloadProject& project, const std::string& nodePath, const std::string& dataFile,
                  const std::string& defaultDir, const std::string& home);
};

} // namespace vorlin::app
