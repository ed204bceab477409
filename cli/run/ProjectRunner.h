// One download of one project from the command line: the plugins set up
// for it, the run started and its messages served on this thread until it
// has ended, the project file saved with the run's statistics. The project
// is named at the start, the run summed up at the end, and a run stopped
// with Ctrl-C ends with the command that resumes it.
#pragma once

#include "cli/run/RunOptions.h"

#include <cstdio>
#include <string>
#include <vector>

namespace vorlin {
class TDownloadProject;
struct TProgramSettings;
}

namespace vorlin::cli {

struct TRunRequest {
    std::string Home;         // the program directory (passwords.lst)
    std::string ProjectFile;  // the ".prj"; the link data go beside it
    bool NewProject = false;  // switch on the plugins a new project starts with
    TVerbosity Verbosity = TVerbosity::vbNormal;
    bool ShowDebugLog = false;  // internal warnings ("Redirect: ...") too
    // Shown after the project's name: "new", "runs again: ...".
    std::string ProjectNote;
    // The words of the command that resumes the run (printed quoted after Ctrl-C).
    std::vector<std::string> ResumeCommand;
    // -o: the whole log goes there (plainly, as into any file); none: the terminal.
    FILE* LogFile = nullptr;
};

// Answers the exit status: kExitOk when the run completed, kExitFailure
// when it could not start or ended on an error, kExitInterrupted after Ctrl-C.
int RunProject(TDownloadProject& project, const TProgramSettings& settings, const TRunRequest& request);

} // namespace vorlin::cli
